#include "storage/DorodDatabase.h"

#include "storage/DorodConst.h"
#include "storage/DorodCursor.h"
#include "storage/DorodDataset.h"
#include "storage/DorodDate.h"
#include "storage/Win1251.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <iostream>

namespace dorod {

TDorodDatabase::TDorodDatabase() {
    TDorodSession::Instance().m_databases.push_back(this);
}

TDorodDatabase::~TDorodDatabase() {
    for (TDorodDataset* d : std::vector<TDorodDataset*>(m_members))
        d->SetDatabase(nullptr);
    std::erase(TDorodSession::Instance().m_databases, this);
}

void TDorodDatabase::SetDriverName(TDorodDriverName driver) {
    CloseDatasets();
    m_driver = driver;
    Params.clear();
    if (driver == TDorodDriverName::vdnDorod) return;
    if (driver == TDorodDriverName::vdnCustom) Params.push_back("Library=");
    if (driver != TDorodDriverName::vdnDAO) Params.push_back("Server=");
    Params.push_back("DatabaseName=");
    if (driver != TDorodDriverName::vdnDAO) {
        Params.push_back("UserName=");
        Params.push_back("Password=");
        Params.push_back("RegInfo=");
    }
}

void TDorodDatabase::SetDatabasePath(const std::string& path) {
    m_path = path;
    // Folders end with a separator so that a table name can be appended.
    if (m_driver == TDorodDriverName::vdnDorod && !m_path.empty() && m_path.back() != '/')
        m_path += '/';
}

char TDorodDatabase::QuoteChar() const {
    return m_driver == TDorodDriverName::vdnDAO && ConnectStr.empty() ? '#' : '"';
}

void TDorodDatabase::CloseDatasets() {
    for (TDorodDataset* d : std::vector<TDorodDataset*>(m_open))
        d->Close();
}

void TDorodDatabase::addOpen(TDorodDataset* d) {
    if (std::find(m_open.begin(), m_open.end(), d) == m_open.end()) m_open.push_back(d);
}
void TDorodDatabase::removeOpen(TDorodDataset* d) {
    std::erase(m_open, d);
}
void TDorodDatabase::addChanged(TDorodDataset* d) {
    if (std::find(m_changed.begin(), m_changed.end(), d) == m_changed.end()) m_changed.push_back(d);
}
void TDorodDatabase::removeChanged(TDorodDataset* d) {
    std::erase(m_changed, d);
}
void TDorodDatabase::forget(TDorodDataset* d) {
    removeOpen(d);
    removeChanged(d);
    std::erase(m_members, d);
}

TDorodSession::TDorodSession() = default;

TDorodSession& TDorodSession::Instance() {
    static TDorodSession session;
    return session;
}

void TDorodSession::ShowMessage(const std::string& text) const {
    if (OnShowMessage)
        OnShowMessage(text);
    else
        std::cerr << text << "\n";
}

TDorodClockReading TDorodSession::Now() const {
    if (Clock) return Clock();
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    std::tm local{};
    localtime_r(&seconds, &local);
    const auto ms =
        std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
    TDorodClockReading r;
    r.dayNumber = dayNumberFromCivil(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday);
    r.hour = local.tm_hour;
    r.minute = local.tm_min;
    r.second = local.tm_sec;
    r.millisecond = int32_t(ms.count());
    return r;
}

void TDorodSession::AddPassword(const std::string& password) {
    if (password.empty()) return;
    const auto less = [](const std::string& a, const std::string& b) {
        return win1251::compareText(a, b, true) < 0;
    };
    const auto it = std::lower_bound(m_passwords.begin(), m_passwords.end(), password, less);
    if (it != m_passwords.end() && win1251::compareText(*it, password, true) == 0) return;
    m_passwords.insert(it, password);
}

void TDorodSession::RemovePassword(const std::string& password) {
    std::erase_if(m_passwords, [&](const std::string& p) {
        return win1251::compareText(p, password, true) == 0;
    });
}

bool TDorodSession::ResolvePassword(TDorodCursor& store, const TDorodKeyBlock& keyBlock) {
    const std::string own = store.Password();
    if (!own.empty() && store.TryPassword(own, keyBlock)) {
        AddPassword(own);
        return true;
    }
    for (const std::string& known : m_passwords)
        if (store.TryPassword(known, keyBlock)) return true;

    const int tries = PasswordTries < 1 ? 3 : PasswordTries;
    std::string typed;
    for (int attempt = 1; attempt <= tries; ++attempt) {
        const bool confirmed = OnPasswordPrompt        ? OnPasswordPrompt(typed)
                               : BuiltInPasswordPrompt ? BuiltInPasswordPrompt(typed)
                                                       : false;
        if (!confirmed) break;
        if (store.TryPassword(typed, keyBlock)) {
            AddPassword(typed);
            return true;
        }
        const bool triesRemain = attempt < tries;
        if (OnWrongPassword)
            OnWrongPassword(typed, triesRemain);
        else if (triesRemain)
            ShowMessage(msg::PasswordTryAgain);
    }
    store.SetPassword(own);
    return false;
}

} // namespace dorod
