#pragma once

#include <QString>

class QTextDocument;

// The help texts are kept as RTF, the form the suite's other programs store them in. These
// two functions carry a text between that form and the help editor's document.
//
// Written: bold, italic, underline, text colours, paragraph alignment, line breaks and tabs;
// characters outside plain ASCII as \'hh (code page 1252) or \uN? escapes.
// Read: the same, plus what other writers put around it: font, colour and style tables,
// information groups, pictures and \*\ destinations are skipped (the colour table's
// colours are kept for \cf), \uN with its \ucN fallback, \'hh in code page 1252, a few
// named characters (\emdash, \rquote, ...), table cells as tabs. Formatting that the
// editor does not offer (fonts, sizes, highlight) is dropped; the words never are.
namespace rtf {

// The document as RTF.
QString fromDocument(const QTextDocument& document);

// Replaces the document's content with the RTF text; a text that is not RTF is taken as
// plain text.
void toDocument(const QString& text, QTextDocument* document);

// Whether the text is RTF rather than plain text.
bool isRtf(const QString& text);

} // namespace rtf
