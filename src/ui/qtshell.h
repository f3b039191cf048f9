#pragma once

#include "core/ishell.h"

#include <QObject>

// The desktop: real file copies, and documents opened by the desktop's launcher. The launcher
// processes it starts are its children.
class QtShell : public QObject, public IShell
{
    Q_OBJECT
public:
    explicit QtShell(QObject* parent = nullptr);

    bool copyIntoFolder(const QString& source, const QString& folder) override;
    bool openDocument(const QString& path) override;
};
