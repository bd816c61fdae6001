#pragma once
// The client library calls the PostgreSQL engine makes, as a table the
// module (libquillon_pg.so) hands over. The module alone links the client
// library, so a desk on SQLite never loads it, and the library's own package
// never names it.
#include <libpq-fe.h>

extern "C" {

struct QuillonPgApi {
  // The size of this table as the module was built, so that a module older
  // than the library is refused rather than called past its end.
  unsigned long size;
  PGconn* (*connectdb)(const char* conninfo);
  void (*finish)(PGconn* conn);
  ConnStatusType (*status)(const PGconn* conn);
  char* (*errorMessage)(const PGconn* conn);
  PGresult* (*exec)(PGconn* conn, const char* query);
  PGresult* (*execParams)(PGconn* conn, const char* command, int nParams, const Oid* paramTypes,
                          const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                          int resultFormat);
  PGresult* (*prepare)(PGconn* conn, const char* stmtName, const char* query, int nParams,
                       const Oid* paramTypes);
  PGresult* (*execPrepared)(PGconn* conn, const char* stmtName, int nParams, const char* const* paramValues,
                            const int* paramLengths, const int* paramFormats, int resultFormat);
  PGresult* (*describePrepared)(PGconn* conn, const char* stmt);
  ExecStatusType (*resultStatus)(const PGresult* res);
  char* (*resultErrorField)(const PGresult* res, int fieldcode);
  char* (*resultErrorMessage)(const PGresult* res);
  void (*clear)(PGresult* res);
  int (*ntuples)(const PGresult* res);
  int (*nfields)(const PGresult* res);
  char* (*fname)(const PGresult* res, int field_num);
  Oid (*ftype)(const PGresult* res, int field_num);
  Oid (*ftable)(const PGresult* res, int field_num);
  int (*ftablecol)(const PGresult* res, int field_num);
  char* (*getvalue)(const PGresult* res, int tup_num, int field_num);
  int (*getlength)(const PGresult* res, int tup_num, int field_num);
  int (*getisnull)(const PGresult* res, int tup_num, int field_num);
  char* (*cmdStatus)(PGresult* res);
  char* (*cmdTuples)(PGresult* res);
  PGTransactionStatusType (*transactionStatus)(const PGconn* conn);
  int (*enterPipelineMode)(PGconn* conn);
  int (*exitPipelineMode)(PGconn* conn);
  int (*pipelineSync)(PGconn* conn);
  int (*sendQueryParams)(PGconn* conn, const char* command, int nParams, const Oid* paramTypes,
                         const char* const* paramValues, const int* paramLengths, const int* paramFormats,
                         int resultFormat);
  PGresult* (*getResult)(PGconn* conn);
  int (*putCopyData)(PGconn* conn, const char* buffer, int nbytes);
  int (*putCopyEnd)(PGconn* conn, const char* errormsg);
  PQnoticeProcessor (*setNoticeProcessor)(PGconn* conn, PQnoticeProcessor proc, void* arg);
  int (*nparams)(const PGresult* res);
  Oid (*paramtype)(const PGresult* res, int param_number);
  int (*sendQueryPrepared)(PGconn* conn, const char* stmtName, int nParams, const char* const* paramValues,
                           const int* paramLengths, const int* paramFormats, int resultFormat);
  int (*sendPrepare)(PGconn* conn, const char* stmtName, const char* query, int nParams,
                     const Oid* paramTypes);
  int (*sendDescribePrepared)(PGconn* conn, const char* stmtName);
  int (*sendQuery)(PGconn* conn, const char* query);
  void (*reset)(PGconn* conn);
  int (*backendPID)(const PGconn* conn);
  int (*consumeInput)(PGconn* conn);
};

typedef const QuillonPgApi* (*QuillonPgApiEntry)(void);
}
