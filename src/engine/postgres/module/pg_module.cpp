// The module that links the PostgreSQL client library: it only hands the
// calls the engine makes over as a table.
#include "engine/postgres/pg_api.h"

extern "C" __attribute__((visibility("default"))) const QuillonPgApi* quillon_pg_api(void) {
  static const QuillonPgApi api{
      sizeof(QuillonPgApi),
      PQconnectdb,
      PQfinish,
      PQstatus,
      PQerrorMessage,
      PQexec,
      PQexecParams,
      PQprepare,
      PQexecPrepared,
      PQdescribePrepared,
      PQresultStatus,
      PQresultErrorField,
      PQresultErrorMessage,
      PQclear,
      PQntuples,
      PQnfields,
      PQfname,
      PQftype,
      PQftable,
      PQftablecol,
      PQgetvalue,
      PQgetlength,
      PQgetisnull,
      PQcmdStatus,
      PQcmdTuples,
      PQtransactionStatus,
      PQenterPipelineMode,
      PQexitPipelineMode,
      PQpipelineSync,
      PQsendQueryParams,
      PQgetResult,
      PQputCopyData,
      PQputCopyEnd,
      PQsetNoticeProcessor,
      PQnparams,
      PQparamtype,
      PQsendQueryPrepared,
      PQsendPrepare,
      PQsendDescribePrepared,
      PQsendQuery,
  };
  return &api;
}
