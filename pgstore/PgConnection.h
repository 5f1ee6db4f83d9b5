// One connection to the PostgreSQL server, through plain libpq: statements with their
// values as parameters (never spliced into the text), results, and binary COPY both ways.
// Texts cross the connection as UTF-8; converting them to and from the engine's
// Windows-1251 is the caller's.
#pragma once

#include <libpq-fe.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pgstore {

// A statement's result; empty when the statement could not be sent.
class PgResult {
public:
    PgResult() = default;
    explicit PgResult(PGresult* result) : m_result(result, &PQclear) {}

    bool ok() const;
    int rows() const { return m_result ? PQntuples(m_result.get()) : 0; }
    // Rows an INSERT, UPDATE or DELETE touched.
    long affected() const;
    bool isNull(int row, int column) const;
    // The value in the result's format: text, or the binary bytes.
    std::string_view value(int row, int column) const;
    // A text-format value read as an integer (0 when null).
    long long integer(int row, int column) const;
    PGresult* get() const { return m_result.get(); }

private:
    std::shared_ptr<PGresult> m_result;
};

// A statement parameter: bytes in binary format, or SQL null.
using PgParam = std::optional<std::string>;

class PgConnection {
public:
    ~PgConnection();
    PgConnection(const PgConnection&) = delete;
    PgConnection& operator=(const PgConnection&) = delete;

    // How long a connection is tried before it is given up, unless the URL says.
    static constexpr int kConnectTimeoutSeconds = 5;

    // Connects to a libpq connection URL or key=value string. None, with the server's
    // message, when the connection cannot be made.
    static std::unique_ptr<PgConnection> open(const std::string& url, std::string& message);

    // Whether the connection is still there: false once a statement found the server gone
    // (a broken socket, a server shut down or crashed).
    bool connected() const;
    // The last error of the connection, one line.
    std::string lastError() const;

    // A statement without parameters; false with the server's message on failure.
    bool exec(const std::string& sql, std::string& message);
    // A statement with binary parameters ($1, $2, …, types taken from the context);
    // results in text (resultBinary false) or binary. message is set when !ok().
    PgResult query(const std::string& sql, const std::vector<PgParam>& params, std::string& message,
                   bool resultBinary = false);

    // COPY … TO STDOUT: gives each row's bytes to row until it returns false.
    bool copyOut(const std::string& sql, const std::function<bool(std::string_view)>& row,
                 std::string& message);
    // COPY … FROM STDIN: sends what produce writes through its argument until it returns
    // false, then ends the copy.
    bool copyIn(const std::string& sql,
                const std::function<bool(const std::function<bool(std::string_view)>&)>& produce,
                std::string& message);

    // Starts listening on a channel (a name of ours); what is announced there then
    // arrives through takeNotifications.
    bool listen(const std::string& channel, std::string& message);
    // The payloads announced since the last call, without waiting. socket() becomes
    // readable when more arrive.
    std::vector<std::string> takeNotifications();
    int socket() const { return PQsocket(m_conn); }

    PGconn* raw() const { return m_conn; }

private:
    explicit PgConnection(PGconn* conn) : m_conn(conn) {}
    std::string resultError(const PGresult* result) const;
    // Notes whether a failed statement failed for want of the server.
    void noteFailure(const PGresult* result);

    PGconn* m_conn = nullptr;
    bool m_lost = false;
};

// A read-only transaction that sees the database as of its start: tables read within it
// show one moment, a save committed meanwhile in all of them or in none. Ends when it goes.
class PgReadMoment {
public:
    explicit PgReadMoment(PgConnection& connection);
    ~PgReadMoment();
    PgReadMoment(const PgReadMoment&) = delete;
    PgReadMoment& operator=(const PgReadMoment&) = delete;

    // Whether the transaction began; the server's message when not.
    bool began() const { return m_began; }
    const std::string& error() const { return m_error; }

private:
    PgConnection& m_connection;
    bool m_began = false;
    std::string m_error;
};

} // namespace pgstore
