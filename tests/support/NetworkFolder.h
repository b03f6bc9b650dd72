#pragma once

// A folder the database layer takes for one other computers share, while it
// lives (child processes inherit it).

#include <QByteArray>
#include <QString>

struct TNetworkFolder
{
    explicit TNetworkFolder(const QString& Folder) { qputenv("X_NETWORK_FOLDERS", Folder.toLocal8Bit()); }
    ~TNetworkFolder() { qunsetenv("X_NETWORK_FOLDERS"); }
};
