"""One conversion per category as a keyboard user types it, key by key, with the object that
has the focus after each key."""

CATEGORIES = ["Lengths", "Temperatures", "Volumes", "Weights"]
UNITS = {
    "Weights": ["Gram", "Kilogram", "Milligram", "Ounce", "Pound"],
    "Lengths": ["Centimeter", "Foot", "Inch", "Meter", "Millimeter"],
    "Volumes": ["Centilitre", "Cup", "Decilitre", "Gallon", "Litre", "Millilitre", "Pint",
                "Quart", "Tablespoon", "Teaspoon"],
    "Temperatures": ["Celcius", "Gas Mark", "Fahrenheit"],
}

# Keys in the opened category list, the quantity, keys in the From list, keys in the To list,
# and the line. Every arrow, Home or End in a unit list is a pick, so the last To key converts.
CONVERSIONS = [
    ("Weights", ["Down", "Down", "Down"], "2", ["End"], ["Down"], "2 Pounds = 0.909 Kilogram"),
    ("Lengths", ["Home"], "24", ["Down", "Down"], ["Down"], "24 Inches = 2 Feet"),
    ("Volumes", ["Down", "Down"], "1", ["End", "Up"], ["End"], "1 Tablespoon = 3 Teaspoons"),
    ("Temperatures", ["Up"], "180", ["Down", "Up"], ["Down"], "180\u00b0 Celcius = Gas Mark 4"),
]


def moved(entries, current, key):
    """The entry a key leads to from the entry at `current`."""
    last = len(entries) - 1
    return {"Down": min(current + 1, last), "Up": max(current - 1, 0),
            "Home": 0, "End": last}[key]


def conversion_steps(conversion, category):
    """(key, role, name, where) for each key of a conversion that starts with the focus on the
    category box, whose list opens on `category` (None: on its first entry). A key of one
    character is typed; `where` is the list a list item belongs to."""
    target, category_keys, quantity, from_keys, to_keys, _ = conversion
    steps = [("F4", "list", "Category", None)]
    row = CATEGORIES.index(category) if category else 0
    for key in category_keys:
        row = moved(CATEGORIES, row, key)
        steps.append((key, "list item", CATEGORIES[row], "Category"))
    if CATEGORIES[row] != target:
        raise ValueError(f"the keys for {target} reach {CATEGORIES[row]}")
    steps.append(("Return", "text", "Quantity", None))
    steps += [(char, "text", "Quantity", None) for char in quantity]
    for list_name, keys in (("Convert From...", from_keys), ("To...", to_keys)):
        # A list that gets the focus by Tab makes its first entry current, unselected.
        steps.append(("Tab", "list", list_name, None))
        row = 0
        for key in keys:
            row = moved(UNITS[target], row, key)
            steps.append((key, "list item", UNITS[target][row], list_name))
    return steps
