#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace Puckdex {

// What the program asks of the desktop outside its own windows: the system's
// folder dialog, and a document opened in the program the system chose for
// it. Tests install handlers that record each request and answer it, so no
// real dialog or browser appears.
class SystemShell
{
public:
    // The folder the user chose, starting from start (both with forward
    // slashes); empty when the dialog was cancelled.
    static QString chooseFolder(QWidget *parent, const QString &caption, const QString &start);
    // Whether the system took the document to open it.
    static bool openDocument(const QString &path);

    using FolderHandler = std::function<QString(const QString &caption, const QString &start)>;
    using DocumentHandler = std::function<bool(const QString &path)>;
    // Replace the real dialog and opener; an empty handler restores them.
    static void setFolderHandler(FolderHandler handler);
    static void setDocumentHandler(DocumentHandler handler);
};

} // namespace Puckdex
