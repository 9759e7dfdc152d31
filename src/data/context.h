#pragma once

#include "database.h"

#include <QString>
#include <memory>

// The program-wide shared values, on one object so tests can reset them.
struct SharedValues {
    // Connection and configuration.
    Connection wrkCONNECTION;
    Connection wrkCONNECTION2; // never opened; only closed at exit
    QString wrkDBTYPE;         // "ACCESS", "SQLSERVER" or "" (undefined or failed)
    QString wrkNOLOCK;         // " with (NOLOCK)" on SQL Server, empty otherwise
    bool wrkDEMO = false;
    int wrkVERNBR = 0;
    QString wrkLANGUAGE; // "S" = Spanish
    QString wrkSERVER;
    QString wrkDATABASE;
    QString wrkDATABASE2;
    QString wrkUSERID;
    QString wrkPASSWORD;
    int wrkINTSEC = 0;
    QString wrkEXENME;

    // Company, user and fiscal year.
    int wrkFSYEAR = 0;
    int wrkDTEFMT = 0;
    QString wrkSECLVL;
    QString wrkCOMPANY_NAME;
    QString wrkCOMPANY_ADDRESS1;
    QString wrkCOMPANY_ADDRESS2;
    QString wrkCOMPANY_CITY;
    QString wrkCOMPANY_STATE;
    QString wrkCOMPANY_ZIP;
    QString wrkHLPFRM;
    int wrkBACNBR = 0;

    bool spanish() const { return wrkLANGUAGE == QLatin1String("S"); }
};

SharedValues& shared();
// Drops every shared value (closing the connections) and starts from fresh ones.
void resetShared();

// The shared connection, for the statement procedures.
inline Connection& db() {
    return shared().wrkCONNECTION;
}
