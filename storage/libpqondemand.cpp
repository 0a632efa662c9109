// SPDX-License-Identifier: GPL-3.0-or-later
// The PostgreSQL client library, loaded when the server backend first needs it rather than
// linked into the program. Linked, libpq and the libraries it needs (Kerberos, LDAP, TLS) cost
// every start of the program several milliseconds of loading and initialising, also for the shops
// that keep their data in the file and never talk to a server.
//
// These are the libpq functions the server backend and the schema tool call, with libpq's own
// signatures; each forwards to the function of libpq.so.5, loaded on the first call. Without the
// library a connection fails as a refused one does: no connection, CONNECTION_BAD and a message.

#include <libpq-fe.h>

#include "storage/ondemand.h"

#include <dlfcn.h>

namespace
{

void* libpq()
{
    static void* const handle = dlopen("libpq.so.5", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function> Function resolve(const char* name)
{
    return resolveOnDemand<Function>(libpq(), name);
}

char kNotLoaded[] = "the PostgreSQL client library (libpq.so.5) could not be loaded\n";

} // namespace

extern "C" {

TARNEL_FORWARD(PGconn*, PQconnectdbParams,
               (const char* const* keywords, const char* const* values, int expand_dbname),
               (keywords, values, expand_dbname), nullptr)
TARNEL_FORWARD_VOID(PQfinish, (PGconn * conn), (conn))
TARNEL_FORWARD_VOID(PQreset, (PGconn * conn), (conn))
TARNEL_FORWARD(ConnStatusType, PQstatus, (const PGconn* conn), (conn), CONNECTION_BAD)
TARNEL_FORWARD(PGTransactionStatusType, PQtransactionStatus, (const PGconn* conn), (conn),
               PQTRANS_UNKNOWN)
TARNEL_FORWARD(char*, PQerrorMessage, (const PGconn* conn), (conn), kNotLoaded)
TARNEL_FORWARD(PQnoticeProcessor, PQsetNoticeProcessor,
               (PGconn * conn, PQnoticeProcessor proc, void* arg), (conn, proc, arg), nullptr)
TARNEL_FORWARD(PGresult*, PQexec, (PGconn * conn, const char* query), (conn, query), nullptr)
TARNEL_FORWARD(PGresult*, PQexecParams,
               (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
                const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                int resultFormat),
               (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
                resultFormat),
               nullptr)
TARNEL_FORWARD(ExecStatusType, PQresultStatus, (const PGresult* res), (res), PGRES_FATAL_ERROR)
TARNEL_FORWARD(char*, PQresultErrorField, (const PGresult* res, int fieldcode), (res, fieldcode),
               nullptr)
TARNEL_FORWARD(char*, PQresultErrorMessage, (const PGresult* res), (res), kNotLoaded)
TARNEL_FORWARD(int, PQntuples, (const PGresult* res), (res), 0)
TARNEL_FORWARD(int, PQnfields, (const PGresult* res), (res), 0)
TARNEL_FORWARD(char*, PQfname, (const PGresult* res, int field_num), (res, field_num), nullptr)
TARNEL_FORWARD(Oid, PQftype, (const PGresult* res, int field_num), (res, field_num), 0)
TARNEL_FORWARD(char*, PQcmdStatus, (PGresult * res), (res), nullptr)
TARNEL_FORWARD(char*, PQgetvalue, (const PGresult* res, int tup_num, int field_num),
               (res, tup_num, field_num), nullptr)
TARNEL_FORWARD(int, PQgetlength, (const PGresult* res, int tup_num, int field_num),
               (res, tup_num, field_num), 0)
TARNEL_FORWARD(int, PQgetisnull, (const PGresult* res, int tup_num, int field_num),
               (res, tup_num, field_num), 1)
TARNEL_FORWARD_VOID(PQclear, (PGresult * res), (res))
TARNEL_FORWARD(char*, PQcmdTuples, (PGresult * res), (res), nullptr)

// Statements sent without waiting, so that the program bounds its own wait for the answer.
TARNEL_FORWARD(int, PQsendQuery, (PGconn * conn, const char* query), (conn, query), 0)
TARNEL_FORWARD(int, PQsendQueryParams,
               (PGconn * conn, const char* command, int nParams, const Oid* paramTypes,
                const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                int resultFormat),
               (conn, command, nParams, paramTypes, paramValues, paramLengths, paramFormats,
                resultFormat),
               0)
TARNEL_FORWARD(PGresult*, PQgetResult, (PGconn * conn), (conn), nullptr)
TARNEL_FORWARD(int, PQconsumeInput, (PGconn * conn), (conn), 0)
TARNEL_FORWARD(int, PQisBusy, (PGconn * conn), (conn), 0)
TARNEL_FORWARD(int, PQflush, (PGconn * conn), (conn), -1)
TARNEL_FORWARD(int, PQsocket, (const PGconn* conn), (conn), -1)
TARNEL_FORWARD(int, PQsetnonblocking, (PGconn * conn, int arg), (conn, arg), -1)
TARNEL_FORWARD(PGcancel*, PQgetCancel, (PGconn * conn), (conn), nullptr)
TARNEL_FORWARD(int, PQcancel, (PGcancel * cancel, char* errbuf, int errbufsize),
               (cancel, errbuf, errbufsize), 0)
TARNEL_FORWARD_VOID(PQfreeCancel, (PGcancel * cancel), (cancel))

// The schema tool: a password never comes from the command line, and is asked for when needed.
TARNEL_FORWARD(PQconninfoOption*, PQconninfoParse, (const char* conninfo, char** errmsg),
               (conninfo, errmsg), nullptr)
TARNEL_FORWARD_VOID(PQconninfoFree, (PQconninfoOption * connOptions), (connOptions))
TARNEL_FORWARD_VOID(PQfreemem, (void* ptr), (ptr))
TARNEL_FORWARD(int, PQconnectionNeedsPassword, (const PGconn* conn), (conn), 0)

} // extern "C"
