#include "commandline.h"

#include "files/safefile.h"

#include <QFileInfo>

namespace Puckdex::Cli {

int fail(QTextStream &err, const FileError &error)
{
    err << kProgram << ": " << error.fullMessage() << "\n";
    return Failure;
}

Status writeOutputFile(const QString &path, const QByteArray &bytes)
{
    return SafeFile::replace(QFileInfo(path).absoluteFilePath(), bytes);
}

QString wrapped(const QString &text)
{
    QString result;
    qsizetype lineLength = 0;
    for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        if (lineLength > 0 && lineLength + 1 + word.size() > 79) {
            result += QLatin1Char('\n');
            lineLength = 0;
        } else if (lineLength > 0) {
            result += QLatin1Char(' ');
            ++lineLength;
        }
        result += word;
        lineLength += word.size();
    }
    return result;
}

Result<Roster> openRoster(const CommandLine &line)
{
    const Result<FileSet> files = findFileSet(line.argument(0), line.game());
    if (!files)
        return files.error();
    return loadRoster(*files);
}

} // namespace Puckdex::Cli
