#pragma once

// The data module: the one shared database connection, the connection
// string of a database file, and the settings file beside the executable
// that remembers the file's path.

#include <QObject>
#include <QString>

class TADOConnection;

class TDM : public QObject
{
    Q_OBJECT
public:
    explicit TDM(QObject* Owner = nullptr);
    ~TDM() override;

    TADOConnection* Conn = nullptr;         // every query and command runs on it
    TADOConnection* Conn_Check = nullptr;   // only to test that Conn's string still opens

    // The executable's full path without its extension: the settings file
    // lives beside the program. Tests and benchmarks point it into a folder
    // of their own with SetConfigBaseName (empty: beside the program again).
    QString ConfigBaseName() const;
    static void SetConfigBaseName(const QString& Base);

    // EOleException while Conn is open: only the user's answer closes it.
    void SetDatabase(const QString& Path);
    void ClearDatabase();
    void SetDatabaseChecked(const QString& Path);
    static QString ParseDataSource(const QString& ConnStr);
    QString GetDataSource() const;
    bool DataSourceExists() const;
    int ActiveDataSetCount() const;
    bool TestConnection();
    bool SetConnected(bool Wanted);

    // Reads the settings file and applies its path; a missing file changes
    // nothing (the backup is never read). A damaged file whose path length
    // runs past its end raises the library's Exception ("GetS error - bigger
    // than pack"); so does SetConnected(true) when it reads such a file. A
    // file too large to be a settings file raises the library's Exception
    // too, without being read. Callers show it and go on.
    void LoadConfig();
    // Writes the current data source, the previous file copied to the backup.
    // A file the user may not write is replaced where the folder allows; in a
    // folder the user may not write, an existing file is written in place.
    // A failure shows an error box with the system's reason and answers false.
    bool SaveConfig();
};

// The program's one data module, created by the program after the main window.
extern TDM* DM;

// The fixed database password of every campaign file.
extern const QString DBPassword;
// The key of the settings file's text codec.
extern const QString SettingsKey;
