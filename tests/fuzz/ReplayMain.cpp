#include "fuzz/RequestFuzz.h"

#include <QDir>
#include <QFile>

#include <cstdio>

// Runs the fuzz target without libFuzzer, so every build replays the corpus: the committed
// one, which must reach all 20 outcomes (four lines and six messages in each locale) or it
// has lost the seeds that make it worth running, or the file or folder given (a finding).
int main(int argc, char** argv)
{
    const QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(PELLIMOR_FUZZ_CORPUS));
    const QStringList names = folder.exists() ? folder.entryList(QDir::Files) : QStringList{folder.path()};
    LLVMFuzzerInitialize(&argc, &argv);
    for (const QString& name : names) {
        QFile file(folder.exists() ? folder.filePath(name) : name);
        if (!file.open(QIODevice::ReadOnly))
            qFatal("Cannot read %s", qUtf8Printable(file.fileName()));
        const QByteArray bytes = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               std::size_t(bytes.size()));
    }
    QStringList reached = pellimor::fuzz::reachedOutcomes();
    pellimor::fuzz::shutdown();
    reached.sort();
    std::printf("%lld inputs replayed, outcomes reached:\n  %s\n", static_cast<long long>(names.size()),
                qUtf8Printable(reached.join(QStringLiteral("\n  "))));
    return !names.isEmpty() && (argc > 1 || reached.size() == 20) ? 0 : 1;
}
