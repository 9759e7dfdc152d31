#pragma once

#include <QString>

class QTextDocument;

// The help texts are kept as RTF, the form the suite's other programs store them in. These
// two functions carry a text between that form and the help editor's document.
//
// Written: bold, italic, underline, strike, super- and subscript, text and highlight colours,
// fonts with their charsets, sizes, paragraph alignment, indents and spacing, line breaks and
// tabs; characters outside plain ASCII as \'hh (code page 1252, or the Symbol font's bytes)
// or \uN? escapes; pictures and objects exactly as they were read.
// Read: the same, from what the suite's other programs write: \'hh in the code page of the
// run's font charset or of \ansicpg, \uN with its \ucN fallback, a few named characters
// (\emdash, \rquote, ...), table cells as tabs; style tables, information groups and other
// \*\ destinations are skipped. Broken text shows what can be read of it; the words are
// never dropped.
namespace rtf {

// The document as RTF.
QString fromDocument(const QTextDocument& document);

// Replaces the document's content with the RTF text; a text that is not RTF is taken as
// plain text.
void toDocument(const QString& text, QTextDocument* document);

// Whether the text is RTF rather than plain text.
bool isRtf(const QString& text);

} // namespace rtf
