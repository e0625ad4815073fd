#include "fuzz/RequestFuzz.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cstdio>

// Runs the fuzz target on files without libFuzzer, so any compiler and any sanitizer
// build can replay the seed corpus or a crash file. Arguments are files or folders;
// without any, the committed corpus is replayed and must reach every outcome in both
// locales, or it has lost the seeds that make the replay worth running. With -v each
// input's outcome is printed.
int main(int argc, char** argv)
{
    using namespace pellimor::fuzz;
    QStringList inputs;
    bool verbose = false;
    for (int i = 1; i < argc; ++i) {
        const QString argument = QString::fromLocal8Bit(argv[i]);
        if (argument == QLatin1String("-v"))
            verbose = true;
        else
            inputs << argument;
    }
    const bool wholeCorpus = inputs.isEmpty();
    if (wholeCorpus)
        inputs << QStringLiteral(PELLIMOR_FUZZ_CORPUS);

    LLVMFuzzerInitialize(&argc, &argv);

    QStringList files;
    for (const QString& input : inputs) {
        const QFileInfo info(input);
        if (info.isDir()) {
            const QDir folder(input);
            for (const QString& name : folder.entryList(QDir::Files, QDir::Name))
                files << folder.filePath(name);
        } else if (info.isFile()) {
            files << input;
        } else {
            std::fprintf(stderr, "No such file or folder: %s\n", qUtf8Printable(input));
            return 2;
        }
    }
    if (files.isEmpty()) {
        std::fprintf(stderr, "Nothing to replay in %s\n", qUtf8Printable(inputs.join(u' ')));
        return 2;
    }

    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "Cannot read %s\n", qUtf8Printable(path));
            return 2;
        }
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
        if (verbose)
            std::printf("%s: %s\n", qUtf8Printable(QFileInfo(path).fileName()),
                        qUtf8Printable(lastReport()));
    }

    int missing = 0;
    std::printf("%lld inputs replayed\n", static_cast<long long>(files.size()));
    for (std::size_t locale = 0; locale < LocaleCount; ++locale) {
        for (std::size_t kind = 0; kind < OutcomeCount; ++kind) {
            const long count = tally()[locale][kind];
            std::printf("  %-24s %-22s %ld\n", outcomeName(Outcome(kind)), localeName(locale),
                        count);
            if (count == 0)
                ++missing;
        }
    }
    shutdown();
    if (wholeCorpus && missing > 0) {
        std::fprintf(stderr, "The corpus misses %d outcomes\n", missing);
        return 1;
    }
    return 0;
}
