# The desktop knows the program by one reverse-DNS id: the launcher's file name, the
# AppStream id, the icon name and the name the running windows announce. It follows
# the web host, so a deployment under its own domain gets ids in that domain.
#
#   pellimor_app_id(<out-var> <web-host>)   www.pellimor.example -> example.pellimor.Pellimor
#
# Labels are made into valid D-Bus name elements, as the desktop entry rules ask:
# '-' becomes '_', and a label starting with a digit gets a leading '_'.
function(pellimor_app_id out host)
    string(TOLOWER "${host}" host)
    if(NOT host MATCHES "^[a-z0-9-]+(\\.[a-z0-9-]+)*$")
        message(FATAL_ERROR "PELLIMOR_WEB_HOST '${host}' is not a host name "
                            "(letters, digits, '-' and dots only)")
    endif()
    string(REPLACE "." ";" labels "${host}")
    list(GET labels 0 first)
    list(LENGTH labels count)
    if(first STREQUAL "www" AND count GREATER 1)
        list(REMOVE_AT labels 0)
    endif()
    list(REVERSE labels)
    set(elements)
    foreach(label IN LISTS labels)
        string(REPLACE "-" "_" label "${label}")
        if(label MATCHES "^[0-9]")
            string(PREPEND label "_")
        endif()
        list(APPEND elements "${label}")
    endforeach()
    list(APPEND elements Pellimor)
    list(JOIN elements "." id)
    set(${out} "${id}" PARENT_SCOPE)
endfunction()
