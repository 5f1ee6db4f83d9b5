// TDorodDatabase groups tables under one folder; TDorodSession is the one engine-wide
// object behind databases, the clock and the messages the engine shows to the user.
#pragma once

#include "storage/DorodKeyBlock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace dorod {

class TDorodDataset;
class TDorodCursor;

enum class TDorodDriverName { vdnDorod, vdnMSSQL, vdnDAO, vdnMySQL, vdnRemote, vdnCustom };

class TDorodDatabase {
public:
    TDorodDatabase();
    ~TDorodDatabase();
    TDorodDatabase(const TDorodDatabase&) = delete;
    TDorodDatabase& operator=(const TDorodDatabase&) = delete;

    std::string DateFormat = "mm/dd/yyyy";
    std::string ConnectStr;
    std::string LogFile; // kept as a setting; no log is written
    bool KeepLog = false;
    std::vector<std::string> Params;

    TDorodDriverName DriverName() const { return m_driver; }
    void SetDriverName(TDorodDriverName driver);
    const std::string& DatabasePath() const { return m_path; }
    void SetDatabasePath(const std::string& path);
    char QuoteChar() const;

    const std::vector<TDorodDataset*>& OpenDatasets() const { return m_open; }
    const std::vector<TDorodDataset*>& ChangedDatasets() const { return m_changed; }
    void CloseDatasets();

private:
    friend class TDorodDataset;
    class TDorodCursor;
    void addOpen(TDorodDataset* d);
    void removeOpen(TDorodDataset* d);
    void addChanged(TDorodDataset* d);
    void removeChanged(TDorodDataset* d);
    void forget(TDorodDataset* d);

    TDorodDriverName m_driver = TDorodDriverName::vdnDorod;
    std::string m_path;
    std::vector<TDorodDataset*> m_open;
    std::vector<TDorodDataset*> m_changed;
    std::vector<TDorodDataset*> m_members;
};

// The local date and time the engine reads for "TODAY", "NOW" and UNICOD codes.
struct TDorodClockReading {
    int32_t dayNumber = 0; // 0001-01-01 is day 1
    int32_t hour = 0, minute = 0, second = 0, millisecond = 0;
};

class TDorodSession {
public:
    static TDorodSession& Instance();

    const std::vector<TDorodDatabase*>& Databases() const { return m_databases; }

    // Shows a message to the user (a partial open's reason). The program sets it; without
    // it the message goes to standard error.
    std::function<void(const std::string&)> OnShowMessage;
    void ShowMessage(const std::string& text) const;

    // The clock; tests replace it.
    std::function<TDorodClockReading()> Clock;
    TDorodClockReading Now() const;

    // The run counter of UNICOD codes; -1 before the first code.
    int32_t UnicodCounter = -1;

    // --- passwords of enciphered tables ---
    // Known passwords, sorted without regard to letter case; two that differ only in
    // letter case are one entry (the first one added stays).
    const std::vector<std::string>& KnownPasswords() const { return m_passwords; }
    void AddPassword(const std::string& password);
    void RemovePassword(const std::string& password);
    void ClearPasswords() { m_passwords.clear(); }
    // Tries at the prompt; a value below 1 counts as 3.
    int PasswordTries = 3;
    // The program's own prompt (given the text to fill in, returns whether the user
    // confirmed) and wrong-password notice (the rejected text, whether tries remain).
    std::function<bool(std::string& password)> OnPasswordPrompt;
    std::function<void(const std::string& rejected, bool triesRemain)> OnWrongPassword;
    // The built-in prompt used without OnPasswordPrompt: the GUI installs its "Login
    // password" dialog, the command-line tool a terminal prompt. Without one the prompt
    // counts as cancelled.
    std::function<bool(std::string& password)> BuiltInPasswordPrompt;
    // Finds the password that opens an enciphered image's key block: the table's own
    // password, the known ones, then the user. The store keeps the one that worked.
    bool ResolvePassword(TDorodCursor& store, const TDorodKeyBlock& keyBlock);

private:
    TDorodSession();
    friend class TDorodDatabase;
    std::vector<TDorodDatabase*> m_databases;
    std::vector<std::string> m_passwords;
};

} // namespace dorod
