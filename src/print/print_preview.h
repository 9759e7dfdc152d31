#pragma once

#include "print_engine.h"

#include <QDialog>
#include <QImage>
#include <QPointer>
#include <functional>

class QHBoxLayout;
class QPushButton;
class QScrollBar;
class QToolButton;
class frmPRINT_PREVIEW;

// The preview's picture area, the surface the engine draws on instead of the printer. Its
// size and place are kept in twips; the screen shows 15 twips to a pixel.
class PreviewPicture : public QWidget, public mdlPRINTING::Surface {
    Q_OBJECT
public:
    static constexpr int kTwipsPerPixel = 15;

    PreviewPicture(frmPRINT_PREVIEW* window, QWidget* parent);

    int scaleWidth() const override { return m_width; }
    int height() const override { return m_height; }
    mdlPRINTING::PreviewHost* previewHost() const override;

    void setPictureSize(int widthTwips, int heightTwips);
    int pictureTop() const { return m_top; }
    int pictureLeft() const { return m_left; }
    void setPictureTop(int twips);
    void setPictureLeft(int twips);

    // Clears the drawing and returns the position to the top left.
    void clearPicture();
    bool saveImage(const QString& file) const;
    bool loadImage(const QString& file);
    int imageHeight() const; // twips
    const QImage& image() const { return m_image; }

protected:
    void drawText(int x, int y, const QString& text, int column) override;
    void drawRule(int x1, int y1, int x2, int y2) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();
    frmPRINT_PREVIEW* m_window;
    QImage m_image;
    int m_width = 0;
    int m_height = 0;
    int m_top = 0;
    int m_left = 0;
};

// The print preview: shows a report as the engine draws it. At each full picture the engine
// shows it modally; the clerk looks, goes back to earlier pages (kept as image files) and
// asks for the next page, or closes it, which stops the report. At the end of a report it
// is shown once more for browsing. One instance at a time, created when first asked for.
class frmPRINT_PREVIEW : public QDialog, public mdlPRINTING::PreviewHost {
    Q_OBJECT
public:
    // The one instance, created (unprepared) when there is none.
    static frmPRINT_PREVIEW* instance();
    static bool exists();
    // Unloads the instance, if there is one.
    static void unloadInstance();

    // Multipage, PageNumber, EndOfPage.
    void setMultipage(bool value) override;
    bool multipage() const override { return wrkMLTPGE; }
    void setPageNumber(int value) override;
    int pageNumber() const { return wrkPGENBR; }
    void setEndOfPage(bool value) override;
    void showModal() override;
    void unload() override;

    void prcINITIALIZE(const QString& wrkROTATE);
    int fncGET_LINE_HEIGHT();
    void prcSET_SCROLL_VALS();

    PreviewPicture* pbxPREVIEW = nullptr;
    QScrollBar* scrPREVIEW_Y = nullptr;
    QScrollBar* scrPREVIEW_X = nullptr;
    QToolButton* tbcPREV = nullptr;
    QToolButton* tbcNEXT = nullptr;
    QPushButton* tbcORIGIN = nullptr;
    QPushButton* tbcCLOSE = nullptr;

    int currentPage() const { return wrkCURPGE; }
    int lastPage() const { return wrkLSTPGE; }
    int stepY() const { return wrkSTEP_Y; }
    int stepX() const { return wrkSTEP_X; }
    int originTop() const { return wrkORGTOP; }
    int originLeft() const { return wrkORGLFT; }

    // The folder of the page image files: "IMGPTH" (section "SMM") when set, else one
    // folder per user under the system's temporary folder.
    static QString pageFolder();
    QString pageFile(int page) const;

    void reject() override; // Escape closes like Close

    // Called from the preview's own event loop each time a prepared preview has come up for
    // the clerk, so a caller (a test) can answer it without polling for modal windows.
    using ShownHook = std::function<void(frmPRINT_PREVIEW*)>;
    static void setShownHook(ShownHook hook);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    explicit frmPRINT_PREVIEW(QWidget* parent);
    QHBoxLayout* buildButtons(); // the page arrows, Origin and Close
    QWidget* buildPicture();
    ~frmPRINT_PREVIEW() override;
    void activate();
    void nextPage();
    bool savePage();
    void previousPage();
    void closePreview();
    void deletePageFiles();
    void setCloseCaption(const QString& caption);

    static QPointer<frmPRINT_PREVIEW>& current();

    QString m_folder;
    bool m_unloaded = false;
    bool wrkMLTPGE = false;
    bool wrkENDPGE = false;
    qint16 wrkPGENBR = 0;
    qint16 wrkCURPGE = 0;
    qint16 wrkLSTPGE = 0;
    int wrkORGTOP = 0;
    int wrkORGLFT = 0;
    int wrkSTEP_Y = 0;
    int wrkSTEP_X = 0;
};
