#include "schema.h"

#include <vector>

namespace {

enum class Type {
    Number, // whole numbers: account and line numbers, dates yyyymmdd, times hhmmss, codes
    Amount, // money, signed, two decimals (four for an adjustment being typed)
    Real,   // a number that may carry decimals (a system value's number)
    Text,
    Memo, // long text (the help's rich text)
};

struct Column {
    const char* name;
    Type type;
    const char* defaultValue = nullptr; // the type's default (0 or '') when null
};

struct Table {
    const char* name;
    std::vector<Column> columns;
};

struct Index {
    const char* name;
    const char* table;
    const char* columns;
    bool unique = false;
};

const std::vector<Table>& tables() {
    static const std::vector<Table> list = {
        {"LDG_GENERAL_LEDGER_MASTER",
         {{"glmFSYEAR", Type::Number},
          {"glmDIVCDE", Type::Text},
          {"glmGLANBR", Type::Number},
          {"glmGLANME", Type::Text},
          {"glmGLACDE", Type::Text},
          {"glmGLATYP", Type::Text},
          {"glmBOYBAL", Type::Amount}}},
        {"LDG_GENERAL_LEDGER_TRANSACTION",
         {{"gltFSYEAR", Type::Number},
          {"gltLNENBR", Type::Number},
          {"gltJRNCDE", Type::Text},
          {"gltTRNDTE", Type::Number},
          {"gltTRNTME", Type::Number},
          {"gltTRNTYP", Type::Text},
          {"gltGLANBR", Type::Number},
          {"gltDESCPT", Type::Text},
          {"gltTRNAMT", Type::Amount},
          {"gltPSTDTE", Type::Number},
          {"gltCHKNBR", Type::Number},
          {"gltCHKTXT", Type::Text},
          {"gltRCNDTE", Type::Number},
          {"gltSTATUS", Type::Text},
          {"gltFNDNBR", Type::Number},
          {"gltEMPNBR", Type::Number}}},
        {"LDG_BANK_DEPOSIT_TRANSACTION",
         {{"bdtGLANBR", Type::Number},
          {"bdtDEPDTE", Type::Number},
          {"bdtDEPTME", Type::Number},
          {"bdtLNENBR", Type::Number},
          {"bdtCHKTXT", Type::Text},
          {"bdtDESCPT", Type::Text},
          {"bdtTRNAMT", Type::Amount},
          {"bdtTKTNBR", Type::Number},
          {"bdtTKTDTE", Type::Number},
          {"bdtLOCNBR", Type::Number},
          {"bdtACPNBR", Type::Number}}},
        {"LDG_BANK_EXPENDITURE_TRANSACTION",
         {{"betGLANBR", Type::Number},
          {"betCHKNBR", Type::Number},
          {"betCHKDTE", Type::Number},
          {"betTRNDTE", Type::Number},
          {"betTRNTYP", Type::Text},
          {"betLNENBR", Type::Number},
          {"betPAYNME", Type::Text},
          {"betDESCPT", Type::Text},
          {"betTRNAMT", Type::Amount},
          {"betLOCNBR", Type::Number},
          {"betACPNBR", Type::Number},
          {"betEMPNBR", Type::Number}}},
        {"LDG_BANK_RECONCILIATION_HISTORY",
         {{"brhFSYEAR", Type::Number},
          {"brhMONTH", Type::Number},
          {"brhGLANBR", Type::Number},
          {"brhDIVCDE", Type::Text},
          {"brhSTMDTE", Type::Number},
          {"brhBNKBAL", Type::Amount},
          {"brhOUTSTD", Type::Amount},
          {"brhBNKADJ", Type::Amount},
          {"brhADJBAL", Type::Amount},
          {"brhEOMBAL", Type::Amount},
          {"brhOVRSHT", Type::Amount},
          {"brhRLSDTE", Type::Number},
          {"brhPSTDTE", Type::Number}}},
        {"LDG_ACCOUNT_PAYABLE_MASTER", {{"apmACPNBR", Type::Number}, {"apmACPNME", Type::Text}}},
        {"LDG_PAYROLL_MASTER", {{"prmEMPNBR", Type::Number}, {"prmEMPNME", Type::Text}}},
        {"LDG_PAYROLL_TRANSACTION",
         {{"prtCHKNBR", Type::Number},
          {"prtCHKDTE", Type::Number},
          {"prtEMPNBR", Type::Number},
          {"prtNETPAY", Type::Amount}}},
        {"TKV_LOCATION_MASTER", {{"lcmLOCNBR", Type::Number}, {"lcmLOCNME", Type::Text}}},
        {"SYS_ENTERPRISE_MASTER",
         {{"ddmDIVCDE", Type::Text, "'*'"},
          {"ddmDPTCDE", Type::Text},
          {"ddmLGLNME", Type::Text},
          {"ddmDBANME", Type::Text},
          {"ddmADDRS1", Type::Text},
          {"ddmADDRS2", Type::Text},
          {"ddmCITY", Type::Text},
          {"ddmSTATE", Type::Text},
          {"ddmZIPCDE", Type::Text},
          {"ddmBOYMTH", Type::Number}}},
        {"SYS_USER_MASTER",
         {{"usmUSRSGN", Type::Text}, {"usmUSRNME", Type::Text}, {"usmSECLVL", Type::Text}}},
        {"SYS_USER_DETAIL", {{"usdUSRSGN", Type::Text}, {"usdSYSCDE", Type::Text}}},
        {"SYS_SYSTEM_VALUE_MASTER",
         {{"svmVALCDE", Type::Text},
          {"svmVALTXT", Type::Text},
          {"svmVALNBR", Type::Real},
          {"svmVALCHK", Type::Number}}},
        {"SYS_CUSTOM_PROGRAM_MASTER",
         {{"cpmSUBSYS", Type::Text},
          {"cpmPGMTYP", Type::Text},
          {"cpmPGMMNU", Type::Text},
          {"cpmPGMNME", Type::Text}}},
        {"SYS_USER_HELP",
         {{"hlpPGMNME", Type::Text},
          {"hlpFRMNME", Type::Text},
          {"hlpPGENBR", Type::Number},
          {"hlpWIDTH", Type::Number},
          {"hlpHEIGHT", Type::Number},
          {"hlpHLPTXT", Type::Memo}}},
    };
    return list;
}

// Chosen for the windows' statements at 100,000 ledger lines: the bank lists by account,
// the outstanding and ledger sums by account and date, the check and deposit look-ups by
// number, the drill-downs by date and time. The history key is not unique: two clerks
// saving the same month at once may write it twice, and both rows must survive.
const std::vector<Index>& indexes() {
    static const std::vector<Index> list = {
        {"glmYEAR_ACCOUNT", "LDG_GENERAL_LEDGER_MASTER", "glmFSYEAR, glmGLANBR"},
        {"glmYEAR_TYPE", "LDG_GENERAL_LEDGER_MASTER", "glmFSYEAR, glmGLATYP"},
        {"glmDIVISION_YEAR", "LDG_GENERAL_LEDGER_MASTER", "glmDIVCDE, glmFSYEAR"},
        {"gltYEAR_LINE", "LDG_GENERAL_LEDGER_TRANSACTION", "gltFSYEAR, gltLNENBR", true},
        {"gltACCOUNT_STATUS", "LDG_GENERAL_LEDGER_TRANSACTION", "gltGLANBR, gltSTATUS"},
        {"gltACCOUNT_CLEARED", "LDG_GENERAL_LEDGER_TRANSACTION", "gltGLANBR, gltRCNDTE, gltTRNDTE"},
        {"gltCLEARED_STATUS", "LDG_GENERAL_LEDGER_TRANSACTION", "gltRCNDTE, gltSTATUS"},
        {"gltCHECK", "LDG_GENERAL_LEDGER_TRANSACTION", "gltCHKNBR, gltGLANBR"},
        {"gltCHECK_TEXT", "LDG_GENERAL_LEDGER_TRANSACTION", "gltCHKTXT, gltTRNDTE"},
        {"gltJOURNAL", "LDG_GENERAL_LEDGER_TRANSACTION", "gltJRNCDE, gltTRNDTE, gltTRNTME"},
        {"bdtBATCH", "LDG_BANK_DEPOSIT_TRANSACTION", "bdtDEPDTE, bdtDEPTME, bdtLNENBR"},
        {"bdtACCOUNT", "LDG_BANK_DEPOSIT_TRANSACTION", "bdtGLANBR"},
        {"bdtCHECK_TEXT", "LDG_BANK_DEPOSIT_TRANSACTION", "bdtCHKTXT, bdtDEPDTE"},
        {"bdtAMOUNT", "LDG_BANK_DEPOSIT_TRANSACTION", "bdtTRNAMT"},
        {"betACCOUNT_CHECK", "LDG_BANK_EXPENDITURE_TRANSACTION", "betGLANBR, betCHKNBR"},
        {"betCHECK_DATE", "LDG_BANK_EXPENDITURE_TRANSACTION", "betCHKNBR, betCHKDTE"},
        {"betLINE_DATE", "LDG_BANK_EXPENDITURE_TRANSACTION", "betLNENBR, betTRNDTE"},
        {"brhACCOUNT_MONTH", "LDG_BANK_RECONCILIATION_HISTORY", "brhGLANBR, brhFSYEAR, brhMONTH"},
        {"brhACCOUNT_STATEMENT", "LDG_BANK_RECONCILIATION_HISTORY", "brhGLANBR, brhSTMDTE"},
        {"apmVENDOR", "LDG_ACCOUNT_PAYABLE_MASTER", "apmACPNBR"},
        {"prmEMPLOYEE", "LDG_PAYROLL_MASTER", "prmEMPNBR"},
        {"prtCHECK", "LDG_PAYROLL_TRANSACTION", "prtCHKNBR, prtCHKDTE"},
        {"lcmLOCATION", "TKV_LOCATION_MASTER", "lcmLOCNBR"},
        {"ddmDIVISION", "SYS_ENTERPRISE_MASTER", "ddmDIVCDE, ddmDPTCDE"},
        {"usmUSER", "SYS_USER_MASTER", "usmUSRSGN"},
        {"usdUSER_SYSTEM", "SYS_USER_DETAIL", "usdUSRSGN, usdSYSCDE"},
        {"svmCODE", "SYS_SYSTEM_VALUE_MASTER", "svmVALCDE"},
        {"cpmSUBSYSTEM", "SYS_CUSTOM_PROGRAM_MASTER", "cpmSUBSYS, cpmPGMTYP"},
        {"hlpPAGE", "SYS_USER_HELP", "hlpPGMNME, hlpFRMNME, hlpPGENBR"},
    };
    return list;
}

QString columnDefinition(const Column& column) {
    QString sql = QString::fromLatin1(column.name);
    switch (column.type) {
    case Type::Number:
        sql += QLatin1String(" INTEGER");
        break;
    case Type::Amount:
    case Type::Real:
        sql += QLatin1String(" REAL");
        break;
    case Type::Text:
    case Type::Memo:
        sql += QLatin1String(" TEXT COLLATE NOCASE");
        break;
    }
    const bool text = column.type == Type::Text || column.type == Type::Memo;
    sql += QLatin1String(" DEFAULT ");
    sql += column.defaultValue ? QString::fromLatin1(column.defaultValue)
                               : QString::fromLatin1(text ? "''" : "0");
    return sql;
}

} // namespace

void createSchema(Connection& connection) {
    // One transaction: a new database is made in one write instead of one per statement.
    Transaction transaction(connection);
    for (const Table& table : tables()) {
        QStringList columns;
        for (const Column& column : table.columns)
            columns << columnDefinition(column);
        connection.execute(
            QStringLiteral("CREATE TABLE IF NOT EXISTS %1 (%2)")
                .arg(QString::fromLatin1(table.name), columns.join(QLatin1String(", "))));
    }
    for (const Index& index : indexes())
        connection.execute(
            QStringLiteral("CREATE %1INDEX IF NOT EXISTS %2 ON %3 (%4)")
                .arg(QLatin1String(index.unique ? "UNIQUE " : ""), QString::fromLatin1(index.name),
                     QString::fromLatin1(index.table), QString::fromLatin1(index.columns)));
    transaction.commit();
}

QStringList schemaTables() {
    QStringList names;
    for (const Table& table : tables())
        names << QString::fromLatin1(table.name);
    return names;
}

QStringList schemaColumns(const QString& table) {
    for (const Table& candidate : tables()) {
        if (table.compare(QLatin1String(candidate.name), Qt::CaseInsensitive) != 0)
            continue;
        QStringList names;
        for (const Column& column : candidate.columns)
            names << QString::fromLatin1(column.name);
        return names;
    }
    return {};
}
