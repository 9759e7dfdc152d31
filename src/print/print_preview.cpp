#include "print_preview.h"

#include "company.h"
#include "context.h"
#include "database.h"
#include "messages.h"
#include "settings.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QPainter>
#include <QPushButton>
#include <QScrollBar>
#include <QStandardPaths>
#include <QToolButton>
#include <cmath>

namespace {

constexpr int kTwips = PreviewPicture::kTwipsPerPixel;
constexpr double kScreenDpi = 1440.0 / kTwips; // 96

int toPixels(int twips) {
    return static_cast<int>(std::lround(twips / double(kTwips)));
}

int roundHalfEven(double value) {
    return static_cast<int>(std::nearbyint(value));
}

} // namespace

// ---------------------------------------------------------------------------------------
// The picture

PreviewPicture::PreviewPicture(frmPRINT_PREVIEW* window, QWidget* parent)
    : QWidget(parent), m_window(window) {
    setObjectName(QStringLiteral("pbxPREVIEW"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

mdlPRINTING::PreviewHost* PreviewPicture::previewHost() const {
    return m_window;
}

void PreviewPicture::setPictureSize(int widthTwips, int heightTwips) {
    m_width = std::max(widthTwips, kTwips);
    m_height = std::max(heightTwips, kTwips);
    const QSize pixels(toPixels(m_width), toPixels(m_height));
    if (m_image.size() != pixels) {
        QImage resized(pixels, QImage::Format_RGB32);
        resized.fill(Qt::white);
        if (!m_image.isNull()) {
            QPainter painter(&resized);
            painter.drawImage(0, 0, m_image);
        }
        m_image = resized;
        // Points on the picture are screen points: 96 dots to the inch.
        const int dotsPerMeter = static_cast<int>(std::lround(kScreenDpi / 0.0254));
        m_image.setDotsPerMeterX(dotsPerMeter);
        m_image.setDotsPerMeterY(dotsPerMeter);
    }
    place();
}

void PreviewPicture::setPictureTop(int twips) {
    m_top = twips;
    place();
}

void PreviewPicture::setPictureLeft(int twips) {
    m_left = twips;
    place();
}

void PreviewPicture::place() {
    setGeometry(toPixels(m_left), toPixels(m_top), m_image.width(), m_image.height());
    update();
}

void PreviewPicture::clearPicture() {
    m_image.fill(Qt::white);
    resetPosition();
    update();
}

bool PreviewPicture::saveImage(const QString& file) const {
    return m_image.save(file, "PNG");
}

bool PreviewPicture::loadImage(const QString& file) {
    QImage loaded;
    if (!loaded.load(file, "PNG"))
        return false;
    m_image = loaded.convertToFormat(QImage::Format_RGB32);
    m_height = m_image.height() * kTwips;
    m_width = m_image.width() * kTwips;
    place();
    return true;
}

int PreviewPicture::imageHeight() const {
    return m_image.height() * kTwips;
}

void PreviewPicture::drawText(int x, int y, const QString& value, int) {
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    painter.setRenderHint(QPainter::TextAntialiasing);
    mdlPRINTING::paintText(painter, kScreenDpi, *this, x, y, value);
    update();
}

void PreviewPicture::drawRule(int x1, int y1, int x2, int y2) {
    if (m_image.isNull())
        return;
    QPainter painter(&m_image);
    mdlPRINTING::paintRule(painter, kScreenDpi, ruleWidth(), x1, y1, x2, y2);
    update();
}

void PreviewPicture::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(0, 0, m_image);
}

// ---------------------------------------------------------------------------------------
// The window

QPointer<frmPRINT_PREVIEW>& frmPRINT_PREVIEW::current() {
    static QPointer<frmPRINT_PREVIEW> window;
    return window;
}

frmPRINT_PREVIEW* frmPRINT_PREVIEW::instance() {
    if (!current())
        current() = new frmPRINT_PREVIEW(QApplication::activeWindow());
    return current();
}

bool frmPRINT_PREVIEW::exists() {
    return !current().isNull();
}

void frmPRINT_PREVIEW::unloadInstance() {
    if (current())
        current()->unload();
}

frmPRINT_PREVIEW::frmPRINT_PREVIEW(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmPRINT_PREVIEW"));
    setWindowTitle(QStringLiteral("Print Preview"));
    setModal(true);
    m_folder = pageFolder();

    QHBoxLayout* buttons = buildButtons();
    QWidget* viewport = buildPicture();
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setSpacing(2);
    grid->addLayout(buttons, 0, 0, 1, 2);
    grid->addWidget(viewport, 1, 0);
    grid->addWidget(scrPREVIEW_Y, 1, 1);
    grid->addWidget(scrPREVIEW_X, 2, 0);
    grid->setRowStretch(1, 1);
    grid->setColumnStretch(0, 1);
    resize(940, 720);

    connect(scrPREVIEW_Y, &QScrollBar::valueChanged, this,
            [this](int value) { pbxPREVIEW->setPictureTop(wrkORGTOP - wrkSTEP_Y * value); });
    connect(scrPREVIEW_X, &QScrollBar::valueChanged, this,
            [this](int value) { pbxPREVIEW->setPictureLeft(wrkORGLFT - wrkSTEP_X * value); });
    connect(tbcORIGIN, &QPushButton::clicked, this, [this] {
        scrPREVIEW_Y->setValue(scrPREVIEW_Y->minimum());
        scrPREVIEW_X->setValue(scrPREVIEW_X->minimum());
    });
    connect(tbcNEXT, &QToolButton::clicked, this, &frmPRINT_PREVIEW::nextPage);
    connect(tbcPREV, &QToolButton::clicked, this, &frmPRINT_PREVIEW::previousPage);
    connect(tbcCLOSE, &QPushButton::clicked, this, &frmPRINT_PREVIEW::closePreview);

    // The load: an empty picture, and its place as the origin of scrolling.
    pbxPREVIEW->setPictureTop(120);
    pbxPREVIEW->setPictureLeft(120);
    pbxPREVIEW->setPictureSize(13050, 12000);
    pbxPREVIEW->clearPicture();
    wrkORGTOP = pbxPREVIEW->pictureTop();
    wrkORGLFT = pbxPREVIEW->pictureLeft();
}

QHBoxLayout* frmPRINT_PREVIEW::buildButtons() {
    tbcPREV = new QToolButton(this);
    tbcPREV->setObjectName(QStringLiteral("tbcPREV"));
    tbcPREV->setArrowType(Qt::LeftArrow);
    tbcPREV->setToolTip(tr("Previous page"));
    tbcPREV->hide();
    tbcNEXT = new QToolButton(this);
    tbcNEXT->setObjectName(QStringLiteral("tbcNEXT"));
    tbcNEXT->setArrowType(Qt::RightArrow);
    tbcNEXT->setToolTip(tr("Next page"));
    tbcNEXT->hide();
    tbcORIGIN = new QPushButton(QStringLiteral("Origin"), this);
    tbcORIGIN->setObjectName(QStringLiteral("tbcORIGIN"));
    tbcORIGIN->setAutoDefault(false);
    tbcCLOSE = new QPushButton(QStringLiteral("&Close"), this);
    tbcCLOSE->setObjectName(QStringLiteral("tbcCLOSE"));
    tbcCLOSE->setAutoDefault(false);
    // Wide enough for "Saving" and "Loading" without the button jumping.
    tbcCLOSE->setMinimumWidth(tbcCLOSE->fontMetrics().horizontalAdvance(QStringLiteral("Loading")) +
                              40);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(tbcPREV);
    buttons->addWidget(tbcNEXT);
    buttons->addStretch();
    buttons->addWidget(tbcORIGIN);
    buttons->addWidget(tbcCLOSE);
    return buttons;
}

// The grey area the page lies on, and the scroll bars that move the page across it.
QWidget* frmPRINT_PREVIEW::buildPicture() {
    auto* viewport = new QWidget(this);
    viewport->setObjectName(QStringLiteral("previewArea"));
    viewport->setAutoFillBackground(true);
    QPalette grey = viewport->palette();
    grey.setColor(QPalette::Window, QColor(128, 128, 128));
    viewport->setPalette(grey);
    pbxPREVIEW = new PreviewPicture(this, viewport);
    pbxPREVIEW->hide();

    scrPREVIEW_Y = new QScrollBar(Qt::Vertical, this);
    scrPREVIEW_Y->setObjectName(QStringLiteral("scrPREVIEW_Y"));
    scrPREVIEW_Y->setRange(0, 100);
    scrPREVIEW_X = new QScrollBar(Qt::Horizontal, this);
    scrPREVIEW_X->setObjectName(QStringLiteral("scrPREVIEW_X"));
    scrPREVIEW_X->setRange(0, 100);
    return viewport;
}

frmPRINT_PREVIEW::~frmPRINT_PREVIEW() {
    if (!m_unloaded)
        deletePageFiles();
}

QString frmPRINT_PREVIEW::pageFolder() {
    QString folder = getSetting(QStringLiteral("SMM"), QStringLiteral("IMGPTH"));
    if (folder.isEmpty()) {
        QString user = qEnvironmentVariable("USER");
        if (user.isEmpty())
            user = qEnvironmentVariable("USERNAME");
        folder = QDir(QStandardPaths::writableLocation(QStandardPaths::TempLocation))
                     .filePath(QStringLiteral("ORLUNDE-preview-") + user);
    }
    QDir().mkpath(folder);
    if (!folder.endsWith(QLatin1Char('/')) && !folder.endsWith(QLatin1Char('\\')))
        folder += QDir::separator();
    return folder;
}

QString frmPRINT_PREVIEW::pageFile(int page) const {
    return m_folder + QStringLiteral("PREVIEW.") + QString::number(page);
}

void frmPRINT_PREVIEW::setMultipage(bool value) {
    wrkMLTPGE = value;
    if (value) {
        tbcNEXT->show();
        tbcPREV->show();
    }
}

void frmPRINT_PREVIEW::setPageNumber(int value) {
    wrkPGENBR = static_cast<qint16>(value);
    wrkCURPGE = wrkPGENBR;
    tbcPREV->setEnabled(value != 1);
}

void frmPRINT_PREVIEW::setEndOfPage(bool value) {
    wrkENDPGE = value;
    if (value)
        wrkLSTPGE = wrkPGENBR;
}

void frmPRINT_PREVIEW::showModal() {
    if (m_unloaded)
        return;
    // The report's hourglass is not the clerk's pointer while the page is looked at.
    const bool busy = QApplication::overrideCursor() != nullptr;
    if (busy)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
    exec();
    if (busy)
        QApplication::restoreOverrideCursor();
}

void frmPRINT_PREVIEW::unload() {
    if (m_unloaded)
        return;
    close();
    if (!m_unloaded) { // a close that was refused still unloads
        m_unloaded = true;
        deletePageFiles();
        if (current() == this)
            current() = nullptr;
        deleteLater();
    }
}

void frmPRINT_PREVIEW::prcINITIALIZE(const QString& wrkROTATE) {
    pbxPREVIEW->show();
    bool single = false;
    try {
        single = fncGET_SYSTEM_VALUE(QStringLiteral("PRTPRV"), QStringLiteral("C")).toInt() == 1;
    } catch (const DatabaseError&) {
        single = false; // without the value the picture is the long one
    }
    const int height = single ? 12000 : 100000;
    const int width = wrkROTATE == QLatin1String("L") ? 16954 : 13050;
    pbxPREVIEW->setPictureSize(width, height);
    pbxPREVIEW->clearPicture();
    setMultipage(false);
    wrkPGENBR = 0;
    wrkCURPGE = 0;
    wrkLSTPGE = 0;
    // Every report numbers its page groups from 1: the files of an earlier report are gone.
    mdlPRINTING::wrkPAGE_GROUP = 0;
}

int frmPRINT_PREVIEW::fncGET_LINE_HEIGHT() {
    pbxPREVIEW->clearPicture();
    pbxPREVIEW->print();
    const int first = pbxPREVIEW->currentY();
    pbxPREVIEW->print();
    const int second = pbxPREVIEW->currentY();
    pbxPREVIEW->clearPicture();
    return second - first;
}

void frmPRINT_PREVIEW::prcSET_SCROLL_VALS() {
    wrkSTEP_Y = roundHalfEven(pbxPREVIEW->height() / double(scrPREVIEW_Y->maximum() + 4));
    wrkSTEP_X = roundHalfEven(pbxPREVIEW->scaleWidth() / double(scrPREVIEW_X->maximum()));
    scrPREVIEW_Y->setValue(0);
    scrPREVIEW_X->setValue(0);
}

namespace {
frmPRINT_PREVIEW::ShownHook& shownHook() {
    static frmPRINT_PREVIEW::ShownHook hook;
    return hook;
}
} // namespace

void frmPRINT_PREVIEW::setShownHook(ShownHook hook) {
    shownHook() = std::move(hook);
}

void frmPRINT_PREVIEW::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    activate();
    if (shownHook() && !pbxPREVIEW->isHidden()) {
        // Queued: the hook runs inside the modal loop, once the preview really is up.
        QPointer<frmPRINT_PREVIEW> self(this);
        QMetaObject::invokeMethod(
            this,
            [self] {
                if (self && self->isVisible() && shownHook())
                    shownHook()(self);
            },
            Qt::QueuedConnection);
    }
}

void frmPRINT_PREVIEW::activate() {
    if (pbxPREVIEW->isHidden()) {
        // Never prepared (the report stopped at a page break): nothing to show.
        QMetaObject::invokeMethod(this, &frmPRINT_PREVIEW::close, Qt::QueuedConnection);
        return;
    }
    const int width = pbxPREVIEW->scaleWidth();
    if (pbxPREVIEW->currentY() > 0)
        pbxPREVIEW->setPictureSize(width, pbxPREVIEW->currentY() + 1154);
    else
        pbxPREVIEW->setPictureSize(width, pbxPREVIEW->imageHeight());
    prcSET_SCROLL_VALS();
    tbcNEXT->setEnabled(!(wrkLSTPGE >= 1 && wrkCURPGE == wrkLSTPGE));
    tbcPREV->setEnabled(wrkCURPGE != 1);
}

void frmPRINT_PREVIEW::setCloseCaption(const QString& caption) {
    tbcCLOSE->setText(caption);
    tbcCLOSE->repaint();
}

// Keeps the newest page in its file; a page that cannot be kept is reported, and stays.
bool frmPRINT_PREVIEW::savePage() {
    const QString file = pageFile(wrkPGENBR);
    if (pbxPREVIEW->saveImage(file))
        return true;
    setCloseCaption(QStringLiteral("&Close"));
    const QString where = QDir::toNativeSeparators(file);
    showMessage(shared().spanish()
                    ? QStringLiteral("No se pudo guardar la página de la vista previa en el "
                                     "archivo %1. Compruebe la carpeta de las páginas.")
                          .arg(where)
                    : QStringLiteral("The preview page could not be saved in the file %1. Check "
                                     "the folder for the pages.")
                          .arg(where));
    return false;
}

void frmPRINT_PREVIEW::nextPage() {
    const int next = wrkCURPGE + 1;
    if (next > wrkPGENBR) {
        // The engine must draw more: keep this page and let it go on.
        setCloseCaption(QStringLiteral("Saving"));
        if (!savePage()) // the page stays on screen; Close still ends the report
            return;
        pbxPREVIEW->clearPicture();
        setCloseCaption(QStringLiteral("&Close"));
        hide();
        return;
    }
    setCloseCaption(QStringLiteral("Loading"));
    wrkCURPGE = static_cast<qint16>(next);
    pbxPREVIEW->clearPicture();
    pbxPREVIEW->loadImage(pageFile(wrkCURPGE));
    activate();
    setCloseCaption(QStringLiteral("&Close"));
}

void frmPRINT_PREVIEW::previousPage() {
    if (wrkCURPGE <= 1)
        return;
    if (wrkCURPGE == wrkPGENBR) {
        setCloseCaption(QStringLiteral("Saving"));
        if (!savePage())
            return;
        pbxPREVIEW->clearPicture();
    }
    setCloseCaption(QStringLiteral("Loading"));
    --wrkCURPGE;
    pbxPREVIEW->clearPicture();
    pbxPREVIEW->loadImage(pageFile(wrkCURPGE));
    activate();
    setCloseCaption(QStringLiteral("&Close"));
}

void frmPRINT_PREVIEW::closePreview() {
    wrkMLTPGE = false;
    close();
}

void frmPRINT_PREVIEW::reject() {
    closePreview();
}

void frmPRINT_PREVIEW::closeEvent(QCloseEvent* event) {
    // However the window is closed, the report stops: the engine reads Multipage.
    // (QDialog's own close handling would reject, which is this same close again.)
    wrkMLTPGE = false;
    event->accept();
    if (m_unloaded)
        return;
    m_unloaded = true;
    deletePageFiles();
    if (current() == this)
        current() = nullptr;
    deleteLater();
}

void frmPRINT_PREVIEW::deletePageFiles() {
    QDir folder(m_folder);
    const QStringList files =
        folder.entryList({QStringLiteral("PREVIEW.*")}, QDir::Files | QDir::Hidden);
    for (const QString& file : files)
        QFile::remove(folder.filePath(file)); // failures do not matter
}
