#pragma once

#include <QDate>
#include <QString>
#include <QTime>
#include <QVariant>

class Recordset;

// The small functions every window uses: where the program lives, dates (yyyymmdd) and
// times (hhmmss) between their stored numbers and the text the clerk reads and types,
// reading numbers from fields and texts, display masks, and the default printer.

// The folder of the running executable without a trailing separator; TKV_PROGRAM_FOLDER
// overrides it. An executable whose name begins with "vbp" lives one folder down.
QString fncPROGRAM_FOLDER();

// Date text to yyyymmdd; 0 for empty text or text that is not a date. Numbers are read in
// the order of the company's date format (wrkDTEFMT 0 and 1 month/day/year, 2 and 3
// day/month/year, 4 year-day-month; a four-digit year first is year-month-day in the
// others), never the other way round; English or Spanish month names are read too. Two-digit
// years 00-29 are 20xx, 30-99 19xx; without a year, the current one.
int fncDATE_TO_NUMBER(const QString& text);
// A short entry of digits completed from the last accepted date (yyyymmdd): "dd" a day of
// its month, "mmdd" or "ddmm" (the company's order) a day of its year, "mmddyy"/"ddmmyy" a
// whole date. 0 when the text is no such entry or there is no date to complete from.
int shortDateEntry(const QString& text, int lastDate);
// yyyymmdd to display text by shared().wrkDTEFMT; "" for 0.
QString fncFORMAT_DATE(int date);
// The last day of the month of the date text, as yyyymmdd; 0 when the text is no date.
int fncMONTH_END(const QString& text);
// The last day of the month of a yyyymmdd date; 0 when it is no date. Dates the program
// worked out itself go here, never through text: text is read in the company's order.
int monthEnd(int yyyymmdd);
// A time as the hhmmss number it is stored as; 0 for an invalid time.
int timeNumber(const QTime& time);
// A date as the yyyymmdd number it is stored as; 0 for an invalid date.
int dateNumber(const QDate& date);
// A stored yyyymmdd number as a date; an invalid date for 0 or no date.
QDate numberDate(int yyyymmdd);

// Time text ("13:30", "1:05 PM", "9:30:15 am") to hhmmss; 0 for empty text or no time.
int fncTIME_TO_NUMBER(const QString& text);
// hhmmss to "13:30:00" / "9:30:00" / "0:05:30"; "" for 0.
QString fncFORMAT_TIME(int time);

// A field's value as a number; NULL, a missing column or text that is not a number give 0.
double fncFIELD_NUMBER(const QVariant& value);
double fncFIELD_NUMBER(const Recordset& rs, const QString& field);
// A number field as the clerk reads it: whole numbers without decimals, others to fifteen
// significant digits, NULL as nothing.
QString numberText(const QVariant& value);

// The leading number of a text, as a clerk's typed amount is read: blanks are skipped,
// reading stops at the first character that cannot continue the number ("12abc" is 12).
double leadingNumber(const QString& text);

// Numbers written into statements, each form kept for the statements that always used it:
// sqlNumber to fifteen significant digits (the reconciliation history's amounts),
// plainNumber in fixed notation with the shortest digits that read back as the same number
// (check numbers and funds), fourDecimals rounded to four decimals without trailing zeros
// (adjustment amounts, as the clerk types them). Zero is "0" in every form.
QString sqlNumber(double value);
QString plainNumber(double value);
QString fourDecimals(double value);

// A value formatted with a display mask ("###0.00", "$######0.00", "0.00%", "#,##0.00",
// "@@@@@@", sections "pos;neg;zero") or the named formats "Currency", "Fixed",
// "Standard", "Percent", "General Number".
QString formatNumber(double value, const QString& mask);
// A text formatted with a text mask ("@" a character or a blank, "&" a character or
// nothing, filled from the right); a numeric mask formats numeric text as a number.
QString formatText(const QString& text, const QString& mask);
// formatNumber, right-aligned to the width of the mask (longer results are shown whole).
QString fncFORMAT_RIGHT(double value, const QString& mask);

// The name of the default printer; "" where there is none or no printer system.
QString fncGET_DEFAULT_PRINTER();
// The whole default printer entry ("name,driver,port" on Windows, the name elsewhere), as
// kept to put the default back after a run on another printer.
QString defaultPrinterEntry();
// Makes the entry the default printer; nonzero when it was written.
int fncSET_DEFAULT_PRINTER(const QString& entry);
