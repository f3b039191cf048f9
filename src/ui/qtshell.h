#pragma once

#include "core/ishell.h"

#include <QObject>

// The desktop: real file copies, renames and deletions, and documents opened by the desktop's
// launcher. The launcher processes it starts are its children.
class QtShell : public QObject, public IShell
{
    Q_OBJECT
public:
    // openerAnswerMs: how long opening waits for the desktop's launcher to say that no program
    // opens the file; a launcher still busy after that has handed the file to its viewer.
    explicit QtShell(int openerAnswerMs = 2000, QObject* parent = nullptr);

    bool copyIntoFolder(const QString& source, const QString& folder) override;
    bool renameFile(const QString& from, const QString& to) override;
    bool removeFile(const QString& path) override;
    bool openDocument(const QString& path) override;

private:
    int m_openerAnswerMs;
};
