#pragma once

#include "widgets/systemshell.h"

#include <QStringList>

// Stands in for the desktop while it lives: records each folder dialog and
// each document the program asked for, answers the dialogs from a script
// (cancelled when the script has run out) and opens nothing.
class ShellScript
{
public:
    ShellScript()
    {
        Puckdex::SystemShell::setFolderHandler([this](const QString &, const QString &start) {
            folderDialogsFrom.append(start);
            return folders.isEmpty() ? QString() : folders.takeFirst();
        });
        Puckdex::SystemShell::setDocumentHandler([this](const QString &path) {
            opened.append(path);
            return opens;
        });
    }
    ~ShellScript()
    {
        Puckdex::SystemShell::setFolderHandler({});
        Puckdex::SystemShell::setDocumentHandler({});
    }
    ShellScript(const ShellScript &) = delete;
    ShellScript &operator=(const ShellScript &) = delete;

    // What the next folder dialogs answer, in order; empty is Cancel.
    QStringList folders;
    // Where each folder dialog started.
    QStringList folderDialogsFrom;
    // The documents asked to be opened, and whether the system takes them.
    QStringList opened;
    bool opens = true;
};
