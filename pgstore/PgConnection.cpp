#include "pgstore/PgConnection.h"

#include <cstdlib>

namespace pgstore {

namespace {

// The server's messages end with a line break; ours are one line each.
std::string oneLine(const char* text) {
    std::string s;
    for (const char* p = text ? text : ""; *p; ++p) {
        const char c = (*p == '\n' || *p == '\t') ? ' ' : *p;
        if (c == ' ' && (s.empty() || s.back() == ' ')) continue;
        s += c;
    }
    while (!s.empty() && s.back() == ' ')
        s.pop_back();
    return s;
}

} // namespace

bool PgResult::ok() const {
    if (!m_result) return false;
    const ExecStatusType status = PQresultStatus(m_result.get());
    return status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK;
}

long PgResult::affected() const {
    if (!m_result) return 0;
    return std::strtol(PQcmdTuples(m_result.get()), nullptr, 10);
}

bool PgResult::isNull(int row, int column) const {
    return !m_result || PQgetisnull(m_result.get(), row, column);
}

std::string_view PgResult::value(int row, int column) const {
    if (isNull(row, column)) return {};
    return {PQgetvalue(m_result.get(), row, column),
            size_t(PQgetlength(m_result.get(), row, column))};
}

long long PgResult::integer(int row, int column) const {
    return isNull(row, column) ? 0
                               : std::strtoll(PQgetvalue(m_result.get(), row, column), nullptr, 10);
}

PgConnection::~PgConnection() {
    if (m_conn) PQfinish(m_conn);
}

std::unique_ptr<PgConnection> PgConnection::open(const std::string& url, std::string& message) {
    // A server that does not answer (a host switched off) is given up after a few seconds
    // rather than the minutes the network takes: the window waits meanwhile. Given before
    // the URL, so that a connect_timeout the URL names wins.
    const std::string timeout = std::to_string(kConnectTimeoutSeconds);
    const char* const keywords[] = {"connect_timeout", "dbname", nullptr};
    const char* const values[] = {timeout.c_str(), url.c_str(), nullptr};
    PGconn* conn = PQconnectdbParams(keywords, values, 1);
    if (!conn) {
        message = "cannot connect to the database: out of memory";
        return nullptr;
    }
    if (PQstatus(conn) != CONNECTION_OK) {
        message = "cannot connect to the database: " + oneLine(PQerrorMessage(conn));
        PQfinish(conn);
        return nullptr;
    }
    // Notices (an object that already exists, and the like) are not the user's business.
    PQsetNoticeProcessor(
        conn, [](void*, const char*) {}, nullptr);
    std::unique_ptr<PgConnection> connection(new PgConnection(conn));
    if (PQsetClientEncoding(conn, "UTF8") != 0) {
        message = "cannot talk UTF-8 with the database: " + connection->lastError();
        return nullptr;
    }
    return connection;
}

bool PgConnection::connected() const {
    return m_conn && !m_lost && PQstatus(m_conn) == CONNECTION_OK;
}

void PgConnection::noteFailure(const PGresult* result) {
    // A failure libpq found itself (no SQLSTATE: the socket closed), a connection
    // exception (class 08) or the server going down (57P01-57P03) leaves no connection to
    // go on with; any other error is the statement's.
    const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
    const std::string code = state ? state : "";
    if (code.empty() || code.starts_with("08") || code == "57P01" || code == "57P02" ||
        code == "57P03")
        m_lost = true;
}

std::string PgConnection::lastError() const {
    return oneLine(PQerrorMessage(m_conn));
}

std::string PgConnection::resultError(const PGresult* result) const {
    const char* text = result ? PQresultErrorMessage(result) : nullptr;
    return oneLine(text && *text ? text : PQerrorMessage(m_conn));
}

bool PgConnection::exec(const std::string& sql, std::string& message) {
    PgResult result(PQexec(m_conn, sql.c_str()));
    if (result.ok()) return true;
    noteFailure(result.get());
    message = resultError(result.get());
    return false;
}

PgResult PgConnection::query(const std::string& sql, const std::vector<PgParam>& params,
                             std::string& message, bool resultBinary) {
    std::vector<const char*> values(params.size());
    std::vector<int> lengths(params.size());
    const std::vector<int> formats(params.size(), 1);
    for (size_t i = 0; i < params.size(); ++i) {
        values[i] = params[i] ? params[i]->data() : nullptr;
        lengths[i] = params[i] ? int(params[i]->size()) : 0;
    }
    PgResult result(PQexecParams(m_conn, sql.c_str(), int(params.size()), nullptr, values.data(),
                                 lengths.data(), formats.data(), resultBinary ? 1 : 0));
    if (!result.ok()) {
        noteFailure(result.get());
        message = resultError(result.get());
    }
    return result;
}

bool PgConnection::copyOut(const std::string& sql, const std::function<bool(std::string_view)>& row,
                           std::string& message) {
    PgResult start(PQexec(m_conn, sql.c_str()));
    if (!start.get() || PQresultStatus(start.get()) != PGRES_COPY_OUT) {
        noteFailure(start.get());
        message = resultError(start.get());
        return false;
    }
    bool wanted = true;
    for (;;) {
        char* buffer = nullptr;
        const int length = PQgetCopyData(m_conn, &buffer, 0);
        if (length < 0) break; // -1: done; -2: failed, told by the final result
        if (wanted) wanted = row(std::string_view(buffer, size_t(length)));
        PQfreemem(buffer);
    }
    PgResult end(PQgetResult(m_conn));
    // Drain whatever else the server sends so that the connection is free again.
    while (PGresult* more = PQgetResult(m_conn))
        PQclear(more);
    if (!end.ok()) {
        noteFailure(end.get());
        message = resultError(end.get());
        return false;
    }
    if (!wanted && message.empty()) message = "the rows read could not be kept";
    return wanted;
}

bool PgConnection::copyIn(
    const std::string& sql,
    const std::function<bool(const std::function<bool(std::string_view)>&)>& produce,
    std::string& message) {
    PgResult start(PQexec(m_conn, sql.c_str()));
    if (!start.get() || PQresultStatus(start.get()) != PGRES_COPY_IN) {
        noteFailure(start.get());
        message = resultError(start.get());
        return false;
    }
    const auto send = [this](std::string_view bytes) {
        return PQputCopyData(m_conn, bytes.data(), int(bytes.size())) == 1;
    };
    const bool produced = produce(send);
    std::string why;
    if (!produced) why = message.empty() ? "the rows to send could not be read" : message;
    if (PQputCopyEnd(m_conn, produced ? nullptr : why.c_str()) != 1) {
        message = lastError();
        return false;
    }
    PgResult end(PQgetResult(m_conn));
    while (PGresult* more = PQgetResult(m_conn))
        PQclear(more);
    if (!end.ok()) {
        if (produced) noteFailure(end.get());
        message = produced ? resultError(end.get()) : why;
        return false;
    }
    return true;
}

bool PgConnection::listen(const std::string& channel, std::string& message) {
    std::string quoted = "\"";
    for (char c : channel)
        quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
    return exec("LISTEN " + quoted + "\"", message);
}

std::vector<std::string> PgConnection::takeNotifications() {
    std::vector<std::string> payloads;
    if (!PQconsumeInput(m_conn)) {
        m_lost = true;
        return payloads;
    }
    while (PGnotify* notify = PQnotifies(m_conn)) {
        payloads.emplace_back(notify->extra ? notify->extra : "");
        PQfreemem(notify);
    }
    return payloads;
}

PgReadMoment::PgReadMoment(PgConnection& connection) : m_connection(connection) {
    m_began = m_connection.exec("BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY", m_error);
}

PgReadMoment::~PgReadMoment() {
    // Read only: there is nothing to keep, and a failure leaves nothing behind.
    std::string ignored;
    if (m_began && m_connection.connected()) m_connection.exec("COMMIT", ignored);
}

} // namespace pgstore
