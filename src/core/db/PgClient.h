#pragma once
// The PostgreSQL client library as the server driver loaded it. Looked up there,
// it and what it draws in (TLS, Kerberos, LDAP) stay out of every start that never
// talks to a server.

#include <libpq-fe.h>

class QSqlDatabase;

namespace palomex::pgclient {

// The client library's connection under a server connection of the driver; null
// for any other connection.
PGconn* connectionOf(const QSqlDatabase& db);

// Whether the connection is still up as far as its last exchange tells; true when
// the library is not loaded, as then no connection of it can exist.
bool connectionOk(const PGconn* conn);
// The handle that stops a running statement from another thread; null without one.
PGcancel* cancelHandle(PGconn* conn);
void cancel(PGcancel* handle);
void freeCancelHandle(PGcancel* handle);

} // namespace palomex::pgclient
