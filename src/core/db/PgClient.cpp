#include "db/PgClient.h"

#include <QSqlDatabase>
#include <QSqlDriver>
#include <QVariant>

#include <dlfcn.h>

namespace palomex::pgclient {

namespace {

struct Library {
    ConnStatusType (*status)(const PGconn*) = nullptr;
    PGcancel* (*getCancel)(PGconn*) = nullptr;
    int (*cancel)(PGcancel*, char*, int) = nullptr;
    void (*freeCancel)(PGcancel*) = nullptr;
};

template <typename F> void find(void* library, const char* name, F& function) {
    function = reinterpret_cast<F>(dlsym(library, name));
}

// Asked for only once a connection exists, so the driver has loaded the library.
const Library& library() {
    static const Library found = [] {
        Library l;
        if (void* so = dlopen("libpq.so.5", RTLD_NOW | RTLD_NOLOAD)) {
            find(so, "PQstatus", l.status);
            find(so, "PQgetCancel", l.getCancel);
            find(so, "PQcancel", l.cancel);
            find(so, "PQfreeCancel", l.freeCancel);
        }
        return l;
    }();
    return found;
}

} // namespace

bool connectionOk(const PGconn* conn) {
    return !library().status || library().status(conn) == CONNECTION_OK;
}

PGcancel* cancelHandle(PGconn* conn) {
    return library().getCancel ? library().getCancel(conn) : nullptr;
}

void cancel(PGcancel* handle) {
    char why[256];
    if (library().cancel)
        library().cancel(handle, why, sizeof why);
}

void freeCancelHandle(PGcancel* handle) {
    if (library().freeCancel)
        library().freeCancel(handle);
}

PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    // The driver's type is registered under the library's struct name.
    if (!handle.isValid() ||
        (qstrcmp(handle.typeName(), "PGconn*") != 0 && qstrcmp(handle.typeName(), "pg_conn*") != 0))
        return nullptr;
    return *static_cast<PGconn* const*>(handle.constData());
}

} // namespace palomex::pgclient
