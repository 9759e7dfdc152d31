#pragma once

#include <QList>
#include <QString>
#include <QVariant>
#include <memory>

class QPagedPaintDevice;
class QPainter;
class QPdfWriter;

// The report engine. A report writes its body lines onto a surface with print statements;
// the engine adds what every report has: the page header, the page break with its page
// foot, and the end of the report. The same report runs against the printer, the preview
// picture, or (in tests) a recording surface.
namespace mdlPRINTING {

// One item of a print statement: a move to a character column, a text, or a number in
// print form.
struct PrintItem {
    enum class Kind { Column, Text, Number };
    Kind kind = Kind::Text;
    int column = 0;
    QString text;
    double number = 0;
};
PrintItem col(int column);
PrintItem text(const QString& text);
PrintItem num(double number);

// A number as a print statement writes it: a blank (or "-"), the digits, one more blank.
QString printForm(double number);

// Twips per character and per line of the fixed-pitch report font at a point size. Every
// surface uses the same figures, so positions are the same on paper, on screen and in a
// recording.
int charWidth(double pointSize);
int lineHeight(double pointSize);

// The members of the preview window the engine drives at a page break and at the end.
class PreviewHost {
public:
    virtual ~PreviewHost() = default;
    virtual void setMultipage(bool value) = 0;
    virtual bool multipage() const = 0;
    virtual void setPageNumber(int value) = 0;
    virtual void setEndOfPage(bool value) = 0;
    virtual void showModal() = 0; // returns when the clerk asked for the next page or closed
    virtual void unload() = 0;
};

// An output surface with the print-statement model, in twips from the top left.
class Surface {
public:
    Surface() = default;
    virtual ~Surface();
    Surface(const Surface&) = delete;
    Surface& operator=(const Surface&) = delete;

    int currentX() const { return m_x; }
    int currentY() const { return m_y; }
    void setCurrentX(int x) { m_x = x; }
    void setCurrentY(int y) { m_y = y; }

    QString fontName() const { return m_fontName; }
    double fontSize() const { return m_fontSize; }
    bool fontBold() const { return m_bold; }
    void setFontName(const QString& name) { m_fontName = name; }
    void setFontSize(double size) { m_fontSize = size; }
    void setFontBold(bool bold) { m_bold = bold; }

    int ruleWidth() const { return m_ruleWidth; } // pixels of the device
    void setRuleWidth(int width) { m_ruleWidth = width; }

    // One print statement: its items from the current position; the line ends unless
    // continueLine. An empty statement only ends the line.
    void print(const QList<PrintItem>& items = {}, bool continueLine = false);
    // A rule in black; the position is left at its end point.
    void line(int x1, int y1, int x2, int y2);

    // The preview picture's usable width and total height (0 on the printer).
    virtual int scaleWidth() const { return 0; }
    virtual int height() const { return 0; }
    // The printer's orientation (1 portrait, 2 landscape); false when refused.
    virtual bool setOrientation(int orientation);
    virtual int orientation() const { return m_orientation; }
    // The number of the sheet being printed, from 1.
    virtual int page() const { return 1; }
    virtual void newPage() {}
    virtual void endDoc() {}
    // The preview window behind the picture; none on the printer.
    virtual PreviewHost* previewHost() const { return nullptr; }

protected:
    virtual void drawText(int x, int y, const QString& text, int column) = 0;
    virtual void drawRule(int x1, int y1, int x2, int y2) = 0;
    void resetPosition() { m_x = m_y = 0; }

private:
    int m_x = 0;
    int m_y = 0;
    QString m_fontName = QStringLiteral("Courier New");
    double m_fontSize = 8;
    bool m_bold = false;
    int m_ruleWidth = 1;
    int m_orientation = 1;
};

// Draws text and rules with a painter whose device has the given dots per inch.
void paintText(QPainter& painter, double dpi, const Surface& surface, int x, int y,
               const QString& text);
void paintRule(QPainter& painter, double dpi, int width, int x1, int y1, int x2, int y2);

// A surface of sheets: the printer or a PDF file. The document begins with the first thing
// drawn; a new page is started only when something is drawn on it, so a report that ends
// right after a page break leaves no blank sheet. In a file every document of the run goes
// on from a new sheet; on a printer each document is a job of its own.
class PagedSurface : public Surface {
public:
    ~PagedSurface() override;

    bool setOrientation(int orientation) override;
    int page() const override { return m_page; }
    void newPage() override;
    void endDoc() override;
    // Sends whatever document is still open (the end of a run).
    void finish();
    int documentsEnded() const { return m_documents; }
    // Whether something drawn did not reach the printer or the file (a folder that cannot
    // be written, a refused job); nothing more is drawn after that.
    bool failed() const { return m_failed; }
    bool toFile() const { return m_toFile; }
    // The file written, or the printer's name.
    virtual QString destination() const = 0;

protected:
    explicit PagedSurface(bool toFile);
    // The device the derived surface owns; set in its constructor.
    void setDevice(QPagedPaintDevice* device) { m_device = device; }
    virtual int resolution() const = 0;
    // Whether the device itself reports a failure once painting ends (a refused print job).
    virtual bool deviceFailed() const { return false; }
    void drawText(int x, int y, const QString& text, int column) override;
    void drawRule(int x1, int y1, int x2, int y2) override;

private:
    bool beginDrawing();
    void endPainting();
    QPagedPaintDevice* m_device = nullptr;
    std::unique_ptr<QPainter> m_painter;
    bool m_toFile = false;
    bool m_pendingPage = false;
    bool m_failed = false;
    int m_page = 1;
    int m_documents = 0;
};

// A PDF file on a letter sheet with the quarter-inch margins a laser printer cannot print on,
// so a report reads in the file as it does on paper. Needs no printer system and no window:
// the archive of a posting and the command line write through it.
class PdfSurface : public PagedSurface {
public:
    explicit PdfSurface(const QString& file);
    ~PdfSurface() override;
    QString destination() const override { return m_file; }

protected:
    int resolution() const override;

private:
    QString m_file;
    std::unique_ptr<QPdfWriter> m_writer;
};

// Keeps every text item and rule for tests. As a printer it counts sheets and documents;
// as a preview it has a picture size and talks to the given preview host.
class RecordingSurface : public Surface {
public:
    struct Text {
        QString text;
        int column; // the character column the text starts at
        int x;
        int y;
        double size;
        bool bold;
        int sheet; // printer sheet or preview page group, from 1
    };
    struct Rule {
        int x1, y1, x2, y2;
        int width;
        int sheet;
    };

    static std::unique_ptr<RecordingSurface> printer();
    static std::unique_ptr<RecordingSurface> preview(int scaleWidth, int height, PreviewHost* host);

    int scaleWidth() const override { return m_scaleWidth; }
    int height() const override { return m_height; }
    int page() const override { return m_sheet; }
    void newPage() override;
    void endDoc() override;
    bool setOrientation(int orientation) override;
    PreviewHost* previewHost() const override { return m_host; }

    // Starts a new preview group on a cleared picture (what the preview does on Next).
    void clearPicture();
    void setRefuseOrientation(bool refuse) { m_refuseOrientation = refuse; }

    QList<Text> texts;
    QList<Rule> rules;
    int newPages = 0;
    int documents = 0;
    QList<int> orientations;

    // The texts in order, each as its line would read them, for quick checks.
    QStringList textsOn(int y) const;
    const Text* find(const QString& startsWith) const;

protected:
    void drawText(int x, int y, const QString& text, int column) override;
    void drawRule(int x1, int y1, int x2, int y2) override;

private:
    RecordingSurface() = default;
    int m_scaleWidth = 0;
    int m_height = 0;
    PreviewHost* m_host = nullptr;
    int m_sheet = 1;
    bool m_refuseOrientation = false;
};

// The surface of the report that is running; the caller sets it before the first call.
// A surface that goes away clears it.
extern Surface* wrkPRINT_OBJECT;
// The number of the last preview page group.
extern qint16 wrkPAGE_GROUP;

// The page header, printed only when the position is at the top of the page.
void prcPRINT_HEADER(const QString& orientation, const QString& title, const QString& rightText,
                     const QString& headings, const QString& destination);
// Called after every body line: ends the page when it is full. On the preview the clerk
// may close the window at the break; destination is then emptied and the report must stop.
void prcCHECK_PAGE_BREAK(const QString& orientation, QString& destination);
// The closing lines; ends the printer document or marks the last preview page.
void prcPRINT_END_OF_REPORT(const QString& orientation, const QString& destination,
                            bool recordsPrinted);

// The column headings "[6]Date[20]ChkNbr" as (column, text) pairs.
QList<QPair<int, QString>> parseHeadings(const QString& headings);

} // namespace mdlPRINTING
