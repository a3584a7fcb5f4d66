#include "widgets/systemshell.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QUrl>

namespace Puckdex {

namespace {

SystemShell::FolderHandler &folderHandler()
{
    static SystemShell::FolderHandler current;
    return current;
}

SystemShell::DocumentHandler &documentHandler()
{
    static SystemShell::DocumentHandler current;
    return current;
}

} // namespace

QString SystemShell::chooseFolder(QWidget *parent, const QString &caption, const QString &start)
{
    if (folderHandler())
        return folderHandler()(caption, start);
    // The system's own dialog where there is one (Windows, macOS, a desktop
    // with a portal); Qt's otherwise.
    const QString chosen = QFileDialog::getExistingDirectory(parent, caption, start);
    return chosen.isEmpty() ? QString() : QDir::fromNativeSeparators(chosen);
}

bool SystemShell::openDocument(const QString &path)
{
    if (documentHandler())
        return documentHandler()(path);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

void SystemShell::setFolderHandler(FolderHandler handler)
{
    folderHandler() = std::move(handler);
}

void SystemShell::setDocumentHandler(DocumentHandler handler)
{
    documentHandler() = std::move(handler);
}

} // namespace Puckdex
