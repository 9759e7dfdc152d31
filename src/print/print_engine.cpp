#include "print_engine.h"

#include "clock.h"
#include "company.h"
#include "context.h"
#include "report.h"
#include "settings.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPainter>
#include <QPen>
#include <cmath>

namespace mdlPRINTING {

Surface* wrkPRINT_OBJECT = nullptr;
qint16 wrkPAGE_GROUP = 0;

PrintItem col(int column) {
    PrintItem item;
    item.kind = PrintItem::Kind::Column;
    item.column = column;
    return item;
}

PrintItem text(const QString& value) {
    PrintItem item;
    item.kind = PrintItem::Kind::Text;
    item.text = value;
    return item;
}

PrintItem num(double number) {
    PrintItem item;
    item.kind = PrintItem::Kind::Number;
    item.number = number;
    return item;
}

QString printForm(double number) {
    QString digits = QString::number(std::fabs(number), 'g', 15);
    if (digits.startsWith(QLatin1String("0.")))
        digits.remove(0, 1); // a print statement writes .5, not 0.5
    return (number < 0 ? QStringLiteral("-") : QStringLiteral(" ")) + digits + QLatin1Char(' ');
}

// The fixed-pitch report font is 0.6 of an em wide per character and 1.1328 em from the
// top of its tallest letter to the bottom of its deepest; one point is 20 twips.
int charWidth(double pointSize) {
    return qRound(pointSize * 20 * 0.6);
}
int lineHeight(double pointSize) {
    return qRound(pointSize * 20 * 2320.0 / 2048.0);
}

// ---------------------------------------------------------------------------------------
// Surface

Surface::~Surface() {
    if (wrkPRINT_OBJECT == this)
        wrkPRINT_OBJECT = nullptr;
}

bool Surface::setOrientation(int orientation) {
    m_orientation = orientation;
    return true;
}

void Surface::print(const QList<PrintItem>& items, bool continueLine) {
    const int width = charWidth(m_fontSize);
    const int height = lineHeight(m_fontSize);
    for (const PrintItem& item : items) {
        switch (item.kind) {
        case PrintItem::Kind::Column: {
            const int target = (std::max(item.column, 1) - 1) * width;
            if (m_x > target) {
                m_y += height;
            }
            m_x = target;
            break;
        }
        case PrintItem::Kind::Text:
        case PrintItem::Kind::Number: {
            const QString value =
                item.kind == PrintItem::Kind::Text ? item.text : printForm(item.number);
            if (value.isEmpty())
                break;
            drawText(m_x, m_y, value, m_x / width + 1);
            m_x += value.size() * width;
            break;
        }
        }
    }
    if (!continueLine) {
        m_y += height;
        m_x = 0;
    }
}

void Surface::line(int x1, int y1, int x2, int y2) {
    drawRule(x1, y1, x2, y2);
    m_x = x2;
    m_y = y2;
}

void paintText(QPainter& painter, double dpi, const Surface& surface, int x, int y,
               const QString& text) {
    QFont font(surface.fontName());
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    font.setPointSizeF(surface.fontSize());
    font.setBold(surface.fontBold());
    painter.setFont(font);
    painter.setPen(Qt::black);
    const QFontMetricsF metrics(painter.font(), painter.device());
    // The position is the top of the text; the painter wants the baseline.
    const QPointF origin(x * dpi / 1440.0, y * dpi / 1440.0 + metrics.ascent());
    painter.drawText(origin, text);
}

void paintRule(QPainter& painter, double dpi, int width, int x1, int y1, int x2, int y2) {
    QPen pen(Qt::black);
    pen.setWidthF(std::max(width, 1));
    pen.setCapStyle(Qt::FlatCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(x1 * dpi / 1440.0, y1 * dpi / 1440.0),
                     QPointF(x2 * dpi / 1440.0, y2 * dpi / 1440.0));
}

// ---------------------------------------------------------------------------------------
// Recording surface

std::unique_ptr<RecordingSurface> RecordingSurface::printer() {
    return std::unique_ptr<RecordingSurface>(new RecordingSurface);
}

std::unique_ptr<RecordingSurface> RecordingSurface::preview(int scaleWidth, int height,
                                                            PreviewHost* host) {
    std::unique_ptr<RecordingSurface> surface(new RecordingSurface);
    surface->m_scaleWidth = scaleWidth;
    surface->m_height = height;
    surface->m_host = host;
    return surface;
}

void RecordingSurface::newPage() {
    ++newPages;
    ++m_sheet;
    resetPosition();
}

void RecordingSurface::endDoc() {
    ++documents;
    m_sheet = 1;
    resetPosition();
}

bool RecordingSurface::setOrientation(int orientation) {
    if (m_refuseOrientation)
        return false;
    orientations << orientation;
    return Surface::setOrientation(orientation);
}

void RecordingSurface::clearPicture() {
    ++m_sheet;
    resetPosition();
}

QStringList RecordingSurface::textsOn(int y) const {
    QStringList result;
    for (const Text& t : texts)
        if (t.y == y)
            result << t.text;
    return result;
}

const RecordingSurface::Text* RecordingSurface::find(const QString& startsWith) const {
    for (const Text& t : texts)
        if (t.text.startsWith(startsWith))
            return &t;
    return nullptr;
}

void RecordingSurface::drawText(int x, int y, const QString& value, int column) {
    texts.append({value, column, x, y, fontSize(), fontBold(), m_sheet});
}

void RecordingSurface::drawRule(int x1, int y1, int x2, int y2) {
    rules.append({x1, y1, x2, y2, ruleWidth(), m_sheet});
}

// ---------------------------------------------------------------------------------------
// The engine

namespace {

bool portrait(const QString& orientation) {
    return orientation == QLatin1String("P");
}
bool toPrinter(const QString& destination) {
    return destination == QLatin1String("P");
}

QString printerType() {
    return getSetting(QStringLiteral("Startup"), QStringLiteral("PRTTYP"));
}

void setRuleWidth(Surface& surface, const QString& destination, const QString& type) {
    if (toPrinter(destination))
        surface.setRuleWidth(type == QLatin1String("I") ? 1 : 10);
    else
        surface.setRuleWidth(2);
}

// The surface a page's foot is printed on, in the small font and the rule width of its
// destination; null when no report is being printed.
Surface* footSurface(const QString& destination, const QString& type) {
    Surface* surface = wrkPRINT_OBJECT;
    if (surface) {
        surface->setFontSize(8);
        setRuleWidth(*surface, destination, type);
    }
    return surface;
}

int ruleEnd(const Surface& surface, const QString& orientation, const QString& destination) {
    if (toPrinter(destination))
        return portrait(orientation) ? 11500 : 15000;
    return surface.scaleWidth() - 400;
}

QString endOfReportText() {
    const QString date = QLocale::system().toString(today(), QLocale::ShortFormat);
    return QStringLiteral("End of Report  ") + programTitle() + QStringLiteral("  ") + date +
           QStringLiteral("  ") + fncGET_USER_NAME();
}

} // namespace

QList<QPair<int, QString>> parseHeadings(const QString& headings) {
    QList<QPair<int, QString>> items;
    qsizetype open = headings.indexOf(QLatin1Char('['));
    while (open >= 0) {
        qsizetype close = headings.indexOf(QLatin1Char(']'), open + 1);
        if (close < 0)
            close = headings.size();
        const qsizetype next = headings.indexOf(QLatin1Char('['), close);
        const QString number = headings.mid(open + 1, close - open - 1).trimmed();
        // The column is the leading number between the brackets, as "[ 12 ]" or "[12x]".
        qsizetype digits = 0;
        while (digits < number.size() && number.at(digits).isDigit())
            ++digits;
        const int column = number.left(digits).toInt();
        const QString label = close >= headings.size()
                                  ? QString()
                                  : headings.mid(close + 1, next < 0 ? -1 : next - close - 1);
        items.append({column, label});
        open = next;
    }
    return items;
}

void prcPRINT_HEADER(const QString& orientation, const QString& title, const QString& rightText,
                     const QString& headings, const QString& destination) {
    const QString type = printerType();
    Surface* surface = wrkPRINT_OBJECT;
    if (!surface || surface->currentY() != 0)
        return;

    const double half = (portrait(orientation) ? 48.0 : 64.0) - title.size() / 2.0;
    const int centre = static_cast<int>(std::nearbyint(half)); // halves to the even number

    if (toPrinter(destination))
        surface->setOrientation(portrait(orientation) ? 1 : 2); // a refusal is no matter

    surface->setFontName(QStringLiteral("Courier New"));
    surface->setFontSize(10);
    surface->setFontBold(true);
    surface->print();
    surface->print({col(centre), text(title)});

    surface->setFontSize(8);
    const QString& company = shared().wrkCOMPANY_NAME;
    if (portrait(orientation))
        surface->print({col(7), text(company), col(80), text(rightText)});
    else
        surface->print({col(5), text(company), col(100), text(rightText)});
    surface->print();

    setRuleWidth(*surface, destination, type);
    const int right = ruleEnd(*surface, orientation, destination);
    surface->line(300, 850, right, 850);

    if (headings.isEmpty()) {
        surface->setFontBold(false);
        surface->setCurrentY(950);
        return;
    }

    surface->setCurrentY(toPrinter(destination) ? 750 : 725);
    surface->setFontBold(true);
    QList<PrintItem> items;
    for (const auto& [column, label] : parseHeadings(headings))
        items << col(column) << text(label);
    surface->print(items);

    surface->line(300, 1200, right, 1200);
    surface->setFontBold(false);
    surface->setCurrentY(1150);
}

void prcCHECK_PAGE_BREAK(const QString& orientation, QString& destination) {
    const QString type = printerType();
    Surface* surface = footSurface(destination, type);
    if (!surface)
        return;

    int threshold;
    if (toPrinter(destination)) {
        if (type == QLatin1String("L"))
            threshold = portrait(orientation) ? 14000 : 10600;
        else
            threshold = portrait(orientation) ? 13700 : 10500;
    } else {
        threshold = surface->height() - (portrait(orientation) ? 1154 : 1250);
    }
    if (surface->currentY() <= threshold)
        return;

    if (toPrinter(destination)) {
        const int y = surface->currentY() + 300;
        surface->line(300, y, portrait(orientation) ? 11500 : 15000, y);
        surface->print();
        const double sheet = surface->page();
        if (portrait(orientation))
            surface->print({col(55), text(QStringLiteral("Page: ")), num(sheet)});
        else
            surface->print({col(75), text(QStringLiteral("Page: ")), num(sheet)}, true);
        surface->newPage();
        return;
    }

    PreviewHost* host = surface->previewHost();
    ++wrkPAGE_GROUP;
    surface->print();
    const int y = surface->currentY();
    surface->line(300, y, surface->scaleWidth() - 400, y);
    surface->print();
    const int column = portrait(orientation) ? 50 : 65;
    surface->print(
        {col(column), text(QStringLiteral("Extended Page Group: ")), num(wrkPAGE_GROUP)});
    if (!host)
        return;

    host->setMultipage(true);
    host->setPageNumber(wrkPAGE_GROUP);
    host->showModal();
    if (!host->multipage()) {
        host->unload(); // the picture goes with the window: nothing may draw on it now
        wrkPAGE_GROUP = 0;
        destination.clear();
        return;
    }
    host->setPageNumber(wrkPAGE_GROUP + 1);
}

void prcPRINT_END_OF_REPORT(const QString& orientation, const QString& destination,
                            bool recordsPrinted) {
    const QString type = printerType();
    Surface* surface = footSurface(destination, type);
    if (!surface)
        return;

    if (!recordsPrinted) {
        surface->print();
        surface->print();
        surface->print(
            {col(portrait(orientation) ? 35 : 50),
             text(QStringLiteral("No Records were found while printing report request."))});
    }

    // Nothing was printed on this page (a page break just happened): no closing lines.
    if (surface->currentY() <= 100)
        return;

    surface->setFontBold(false);
    if (toPrinter(destination)) {
        if (portrait(orientation)) {
            const bool shortSheet = type == QLatin1String("I") || type == QLatin1String("J");
            const int y = shortSheet ? 14250 : 14500;
            surface->line(300, y, 11500, y);
        } else {
            surface->line(300, 11000, 15000, 11000);
        }
    } else {
        surface->print();
        const int y = surface->currentY();
        surface->line(300, y, surface->scaleWidth() - 400, y);
    }
    surface->print({col(portrait(orientation) ? 30 : 50), text(endOfReportText())});

    if (toPrinter(destination)) {
        surface->endDoc();
    } else if (PreviewHost* host = surface->previewHost()) {
        host->setEndOfPage(true);
    }
}

} // namespace mdlPRINTING
