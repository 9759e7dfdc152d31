#include "main_window.h"

#include "child_window.h"
#include "clock.h"
#include "common.h"
#include "company.h"
#include "context.h"
#include "hourglass.h"
#include "messages.h"
#include "program_launcher.h"
#include "report.h"
#include "settings.h"
#include "startup.h"

#include "about_box.h"
#include "account_adjustments.h"
#include "bank_activity.h"
#include "calculator.h"
#include "clear_transactions.h"
#include "finalize_post.h"
#include "find_difference_window.h"
#include "import_bank_statement.h"
#include "nsf_checks.h"
#include "reconcile_balances.h"
#include "reconciliation_report.h"
#include "subsystem_configuration.h"
#include "user_help.h"
#include "void_checks.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QLinearGradient>
#include <QLocale>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPainter>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>
#include <limits>

namespace {

const QString kStartup = QStringLiteral("Startup");

// The window a menu item opens: its name and how it is made, both taken from its class, so
// a new window is one row of the menu table.
struct WindowOf {
    const char* name = nullptr;
    ChildWindow* (*create)() = nullptr;
};
template <typename Window> constexpr WindowOf windowOf() {
    return {Window::kName, []() -> ChildWindow* { return new Window; }};
}

// One entry of the menu bar: a menu (its name starts with "mnu"), an item, or a separator
// (no name). Custom items are added separately.
struct MenuEntry {
    const char* name;
    const char* english;
    const char* spanish;
    WindowOf window = {}; // the child window the item opens, if any
};

const MenuEntry kMenus[] = {
    {"mnuCONTROL", "&Control", "Control"},
    {"ctlCASCADE_WINDOWS", "&Cascade Windows", "Caiga en Cascada Windows"},
    {},
    {"ctlSUBSYSTEM_CONFIGURATION", "Subsystem Configuration", "Configuración del Subsistema",
     windowOf<frmSUBSYSTEM_CONFIGURATION>()},
    {},
    {"ctlEXIT", "&Exit", "Salida"},
    {"mnuMAINTENANCE", "&Maintenance", "Conservación"},
    {"mtnVOID_ISSUED_BUT_NOT_CLEARED_CHECKS", "&Void Issued but not Cleared Checks",
     "Vacío Publicó pero Cheques no Vaciados", windowOf<frmVOID_ISSUED_BUT_NOT_CLEARED_CHECKS>()},
    {"mtnFLAG_DEPOSITED_CHECKS_AS_NSF", "&Flag Deposited Checks as NSF",
     "Señale Cheques Depositados como NSF", windowOf<frmFLAG_DEPOSITED_CHECKS_AS_NSF>()},
    {},
    {"mtnCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT", "Clear Bank Transactions from Statement",
     "Transacciones Bancarias Claras de la Declaración",
     windowOf<frmCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT>()},
    {"mtnIMPORT_BANK_STATEMENT", "Import Bank Statement...",
     "Importar Estado de Cuenta Bancario...", windowOf<frmIMPORT_BANK_STATEMENT>()},
    {"mtnAUD_ACCOUNT_ADJUSTMENTS", "&Add, Update, or Delete Account Adjustments",
     "Agregue, Actualice, o Borre dé cuenta los Ajustes", windowOf<frmAUD_ACCOUNT_ADJUSTMENTS>()},
    {"mtnRECONCILE_CHECKING_ACCOUNT_BALANCES", "&Reconcile Checking Account Balances",
     "Reconcilie los Saldos de Cuenta que Verifican",
     windowOf<frmRECONCILE_CHECKING_ACCOUNT_BALANCES>()},
    {"mtnFIND_DIFFERENCE", "Find the &Difference...", "Buscar la Diferencia...",
     windowOf<frmFIND_DIFFERENCE>()},
    {"mnuANALYSIS", "Analysis", "Análisis"},
    {"anlANALYZE_BANK_ACTIVITY_RECONCILIATIONS", "Analyze Bank Activity && Reconcilations",
     "Analice Conciliaciones Bancarias de Actividad",
     windowOf<frmANALYZE_BANK_ACTIVITY_RECONCILIATIONS>()},
    {"mnuPRINTING", "&Printing", "Imprimir"},
    {"prtPRINT_BANK_RECONCILIATION_REPORT", "Print &Bank Reconciliation Report",
     "Impresión el Informe Bancario de Conciliación",
     windowOf<frmPRINT_BANK_RECONCILIATION_REPORT>()},
    {},
    {"prtFINALIZE_POST_BANK_RECONCILIATION", "Finalize && Post Bank Reconciliation",
     "Complete y Anuncie Reconcilation Bancario", windowOf<frmFINALIZE_POST_BANK_RECONCILIATION>()},
    {"mnuHELP", "&Help", "Ayuda"},
    {"hlpSUBSYSTEM_OVERVIEW", "&Subsystem Overview", "Vista General del Subsistema"},
    {},
    {"hlpABOUT", "&About", "Acerca de", windowOf<frmABOUT>()},
};

// The toolbar: hint, program file name and subsystem code per button; index 6 and 12 are
// separators. The file names belong to the installation's program folder.
struct ToolbarEntry {
    const char* hint;
    const char* program;
    const char* code;
    const char* letters;
    QRgb colour;
};

const ToolbarEntry kToolbar[14] = {
    {},
    {"Route Collections", "collections.exe", "RRC", "RC", qRgb(0, 102, 204)},
    {"Inventory Management", "inventory.exe", "RIM", "IM", qRgb(0, 140, 70)},
    {"Route Management", "routes.exe", "RLC", "RM", qRgb(190, 110, 0)},
    {"Machine Management", "machines.exe", "RMC", "MM", qRgb(130, 60, 170)},
    {"Vehicle Management", "vehicles.exe", "RVH", "VM", qRgb(170, 40, 40)},
    {},
    {"Accounts Payables", "payables.exe", "AAP", "AP", qRgb(0, 120, 130)},
    {"Personnel/Payroll", "payroll.exe", "APR", "PR", qRgb(90, 90, 160)},
    {"Bank Reconciliation", "bankrec.exe", "ABR", "BR", qRgb(0, 90, 50)},
    {"General Ledger", "ledger.exe", "AGL", "GL", qRgb(120, 80, 40)},
    {"Ssytem Control", "syscontrol.exe", "ASC", "SC", qRgb(80, 80, 80)},
    {},
    {"Calculator", nullptr, nullptr, "=", qRgb(60, 60, 60)},
};

QIcon letterIcon(const QString& letters, QRgb colour) {
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(colour));
    painter.drawRoundedRect(QRectF(1, 1, 30, 30), 6, 6);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(letters.size() > 1 ? 13 : 20);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(QRect(0, 0, 32, 32), Qt::AlignCenter, letters);
    return QIcon(pixmap);
}

// The frame's background picture: a quiet gradient with the program's name.
class BackgroundArea : public QMdiArea {
public:
    using QMdiArea::QMdiArea;
    bool pictureShown() const { return m_picture; }
    void setPictureShown(bool shown) {
        m_picture = shown;
        viewport()->update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!m_picture) {
            QMdiArea::paintEvent(event);
            return;
        }
        QPainter painter(viewport());
        const QRect area = viewport()->rect();
        QLinearGradient gradient(area.topLeft(), area.bottomRight());
        gradient.setColorAt(0, QColor(214, 226, 238));
        gradient.setColorAt(1, QColor(150, 172, 196));
        painter.fillRect(area, gradient);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(std::max(18, area.height() / 14));
        painter.setFont(font);
        painter.setPen(QColor(255, 255, 255, 150));
        painter.drawText(area.adjusted(0, 0, -24, -20), Qt::AlignRight | Qt::AlignBottom,
                         QStringLiteral("Bank Reconciliation"));
    }

private:
    bool m_picture = true;
};

// The remembered account: a whole number that fits the 16-bit account number, else none.
int rememberedAccount() {
    const int n = settingWholeNumber(getSetting(kStartup, QStringLiteral("BANK-RECONCILIATION")));
    return n >= std::numeric_limits<qint16>::min() && n <= std::numeric_limits<qint16>::max() ? n
                                                                                              : 0;
}

} // namespace

mdiBANK_RECONCILIATION::mdiBANK_RECONCILIATION(QWidget* parent) : QMainWindow(parent) {
    setObjectName(QStringLiteral("mdiBANK_RECONCILIATION"));
    setWindowTitle(designCaption());
    resize(1100, 760);

    auto* centre = new QWidget(this);
    auto* layout = new QVBoxLayout(centre);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    cbxBACNBR = new QComboBox(centre);
    cbxBACNBR->setObjectName(QStringLiteral("cbxBACNBR"));
    cbxBACNBR->setPlaceholderText(QStringLiteral("* Select Bank Account for Reconciliation *"));
    cbxBACNBR->setMinimumContentsLength(40);
    cbxBACNBR->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    auto* selectorRow = new QHBoxLayout;
    selectorRow->setContentsMargins(4, 4, 4, 4);
    selectorRow->addWidget(cbxBACNBR);
    selectorRow->addStretch();
    layout->addLayout(selectorRow);
    auto* area = new BackgroundArea(centre);
    m_area = area;
    m_area->setObjectName(QStringLiteral("mdiAREA"));
    layout->addWidget(m_area, 1);
    setCentralWidget(centre);
    connect(cbxBACNBR, &QComboBox::currentIndexChanged, this,
            &mdiBANK_RECONCILIATION::bankAccountSelected);

    buildMenus();
    buildToolbar();
    ChildWindow::setHelpOpener([this](QWidget*) { showHelp(); });
    // Windows that open one another (the statement import opens Clear, Adjustments and
    // Reconcile) open them in this frame.
    ChildWindow::setWindowOpener(
        [this](const QString& name, const Factory& create) { return openChild(name, create); });
    runStartup();
}

mdiBANK_RECONCILIATION::~mdiBANK_RECONCILIATION() {
    ChildWindow::setHelpOpener({});
    ChildWindow::setWindowOpener({});
    // The child windows go first, while the connection their recordsets came from is open.
    const auto frames = m_area->subWindowList();
    for (QMdiSubWindow* frame : frames)
        delete frame;
}

QString mdiBANK_RECONCILIATION::designCaption() {
    return QStringLiteral("Bank Reconciliation Subsystem");
}

QString mdiBANK_RECONCILIATION::versionText() {
    return QStringLiteral("%1.%2.%3")
        .arg(BANKREC_VERSION_MAJOR)
        .arg(BANKREC_VERSION_MINOR)
        .arg(BANKREC_VERSION_PATCH);
}

QStringList mdiBANK_RECONCILIATION::childWindowNames() {
    QStringList names;
    for (const MenuEntry& entry : kMenus)
        if (entry.window.name)
            names << QString::fromLatin1(entry.window.name);
    return names;
}

void mdiBANK_RECONCILIATION::buildMenus() {
    QMenu* menu = nullptr;
    for (const MenuEntry& entry : kMenus) {
        if (!entry.name) {
            menu->addSeparator();
            continue;
        }
        const QString name = QString::fromLatin1(entry.name);
        const QString english = QString::fromUtf8(entry.english);
        if (name.startsWith(QLatin1String("mnu"))) {
            menu = menuBar()->addMenu(english);
            menu->setObjectName(name);
            menu->menuAction()->setObjectName(name);
            m_actions.insert(name, menu->menuAction());
            continue;
        }
        QAction* action = menu->addAction(english);
        action->setObjectName(name);
        m_actions.insert(name, action);
        if (entry.window.name) {
            const QString window = QString::fromLatin1(entry.window.name);
            const Factory factory = entry.window.create;
            // The about box comes up at once, without the hourglass.
            const bool hourglass = window != QLatin1String(frmABOUT::kName);
            connect(action, &QAction::triggered, this,
                    [this, window, factory, hourglass] { openChild(window, factory, hourglass); });
        }
    }

    // The custom items close the Maintenance and Printing menus, hidden until the database
    // lists programs for them.
    for (const bool maintenance : {true, false}) {
        const QString prefix = maintenance ? QStringLiteral("mtn") : QStringLiteral("prt");
        QMenu* custom = findChild<QMenu*>(maintenance ? QStringLiteral("mnuMAINTENANCE")
                                                      : QStringLiteral("mnuPRINTING"));
        QAction* separator = custom->addSeparator();
        separator->setObjectName(prefix + QStringLiteral("CUSTOM"));
        separator->setVisible(false);
        m_actions.insert(separator->objectName(), separator);
        for (int slot = 1; slot <= 5; ++slot) {
            const QString name = prefix + QStringLiteral("CUSTOM%1").arg(slot * 10);
            QAction* action = custom->addAction(QStringLiteral("Custom%1").arg(slot * 10));
            action->setObjectName(name);
            action->setVisible(false);
            m_actions.insert(name, action);
            connect(action, &QAction::triggered, this,
                    [this, maintenance, slot] { runCustomProgram(maintenance, slot); });
        }
    }

    connect(m_actions.value(QStringLiteral("ctlCASCADE_WINDOWS")), &QAction::triggered, m_area,
            &QMdiArea::cascadeSubWindows);
    connect(m_actions.value(QStringLiteral("ctlEXIT")), &QAction::triggered, this,
            [] { endProgram(); });
    connect(m_actions.value(QStringLiteral("hlpSUBSYSTEM_OVERVIEW")), &QAction::triggered, this,
            [this] {
                shared().wrkHLPFRM.clear();
                showHelp();
            });
}

void mdiBANK_RECONCILIATION::buildToolbar() {
    tbrTOOL_BAR = addToolBar(QStringLiteral("Toolbar"));
    tbrTOOL_BAR->setObjectName(QStringLiteral("tbrTOOL_BAR"));
    tbrTOOL_BAR->setMovable(false);
    tbrTOOL_BAR->setIconSize(QSize(32, 32));
    for (int index = 1; index <= 13; ++index) {
        const ToolbarEntry& entry = kToolbar[index];
        if (!entry.hint) {
            tbrTOOL_BAR->addSeparator();
            continue;
        }
        QAction* button =
            tbrTOOL_BAR->addAction(letterIcon(QString::fromLatin1(entry.letters), entry.colour),
                                   QString::fromLatin1(entry.hint));
        button->setObjectName(QStringLiteral("tbrBUTTON%1").arg(index));
        button->setToolTip(QString::fromLatin1(entry.hint));
        m_buttons[std::size_t(index)] = button;
        connect(button, &QAction::triggered, this, [this, index] { toolbarClicked(index); });
    }
}

QAction* mdiBANK_RECONCILIATION::toolbarButton(int index) const {
    return index >= 1 && index <= 13 ? m_buttons[std::size_t(index)] : nullptr;
}

QString mdiBANK_RECONCILIATION::toolbarProgram(int index) {
    return index >= 1 && index <= 13 && kToolbar[index].program
               ? QString::fromLatin1(kToolbar[index].program)
               : QString();
}

QString mdiBANK_RECONCILIATION::toolbarSubsystem(int index) {
    return index >= 1 && index <= 13 && kToolbar[index].code
               ? QString::fromLatin1(kToolbar[index].code)
               : QString();
}

void mdiBANK_RECONCILIATION::runStartup() {
    SharedValues& s = shared();
    prcREAD_STARTUP_SETTINGS();
    // Undefined connections have been reported already; trying to open nothing would only
    // add a second message about the same fault.
    if (!s.wrkDEMO && s.wrkDBTYPE.isEmpty() && s.wrkVERNBR >= 0 && s.wrkVERNBR <= 2) {
        endProgram();
        return;
    }
    prcOPEN_DATABASE();
    // Everything after this point reads the database: without it the program ends after
    // the message already shown.
    if (!startupConnectionReady()) {
        endProgram();
        return;
    }
    if (!runCommand([] { prcLOAD_COMPANY(QStringLiteral("*"), QString()); })) {
        endProgram();
        return;
    }

    if (s.wrkDEMO) {
        openMenuWindow(QStringLiteral("mtnCLEAR_BANK_TRANSACTIONS_FROM_STATEMENT"));
        openMenuWindow(QStringLiteral("mtnAUD_ACCOUNT_ADJUSTMENTS"));
    } else {
        prcSET_TOOLBAR_ACCESS();
        runCommand([this] { prcLOAD_CUSTOM_PROGRAMS(); });
        prcGET_USER_SECURITY(QStringLiteral("ABR"), QString());
        if (s.wrkSECLVL != QLatin1String("N") && s.wrkSECLVL != QLatin1String("A"))
            m_actions.value(QStringLiteral("ctlSUBSYSTEM_CONFIGURATION"))->setEnabled(false);
    }

    runCommand([this] { prcLOAD_BANK_ACCOUNTS(); });

    const QString sba = QStringLiteral("SBA");
    if (getSetting(sba, QStringLiteral("BACKGROUND")) == QLatin1String("N"))
        static_cast<BackgroundArea*>(m_area)->setPictureShown(false);
    if (getSetting(sba, QStringLiteral("TOOLBAR")) == QLatin1String("N"))
        tbrTOOL_BAR->hide();

    setCaption();
    if (s.spanish())
        applyLanguage();

    // The windows the demo opens were loaded before there was an account: they catch up
    // now, as they would when next activated.
    const auto frames = m_area->subWindowList();
    for (QMdiSubWindow* frame : frames)
        if (auto* window = qobject_cast<ChildWindow*>(frame->widget()))
            window->activated();

    // Findable by its title while it runs, as the suite's programs find each other.
    m_title = new ProgramTitleHolder(programTitle(), this);
    m_started = true;
}

void mdiBANK_RECONCILIATION::setCaption() {
    const QString date = QLocale::system().toString(today(), QLocale::ShortFormat);
    setWindowTitle(designCaption() + QStringLiteral("   ") + shared().wrkCOMPANY_NAME +
                   QStringLiteral("   ") + date + QStringLiteral("     Version: ") + versionText());
}

void mdiBANK_RECONCILIATION::applyLanguage() {
    for (const MenuEntry& entry : kMenus) {
        if (!entry.name)
            continue;
        if (QAction* action = m_actions.value(QString::fromLatin1(entry.name)))
            action->setText(QString::fromUtf8(entry.spanish));
    }
}

void mdiBANK_RECONCILIATION::prcOPEN_RECORDSET(const QString& selection) {
    const QString& nolock = shared().wrkNOLOCK;
    if (selection == QLatin1String("BANKS")) {
        rsBANKS =
            db().execute(QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER") + nolock +
                         QStringLiteral(" where glmFSYEAR=") + QString::number(shared().wrkFSYEAR) +
                         QStringLiteral(" and glmGLATYP='BNK' order by glmGLANBR"));
    } else if (selection == QLatin1String("PROGRAMS")) {
        rsPROGRAMS =
            db().execute(QStringLiteral("Select * from SYS_CUSTOM_PROGRAM_MASTER") + nolock +
                         QStringLiteral(" where cpmSUBSYS='ABR' order by cpmPGMTYP"));
    }
}

void mdiBANK_RECONCILIATION::prcLOAD_BANK_ACCOUNTS() {
    prcOPEN_RECORDSET(QStringLiteral("BANKS"));
    {
        const QSignalBlocker quiet(cbxBACNBR);
        cbxBACNBR->clear();
        while (!rsBANKS.eof()) {
            const int account = int(fncFIELD_NUMBER(rsBANKS, QStringLiteral("glmGLANBR")));
            // The account number in print form: a blank where a minus sign would stand.
            const QString number = account < 0 ? QString::number(account)
                                               : QLatin1Char(' ') + QString::number(account);
            cbxBACNBR->addItem(number + QLatin1Char(' ') +
                                   rsBANKS.field(QStringLiteral("glmGLANME")).toString(),
                               account);
            rsBANKS.moveNext();
        }
        cbxBACNBR->setCurrentIndex(-1);
    }
    rsBANKS.close();
    if (cbxBACNBR->count() == 1) {
        cbxBACNBR->setCurrentIndex(0);
        shared().wrkBACNBR = cbxBACNBR->itemData(0).toInt();
    } else {
        shared().wrkBACNBR = rememberedAccount();
    }
}

void mdiBANK_RECONCILIATION::bankAccountSelected(int index) {
    if (index < 0)
        return;
    bool ok = false;
    const int account = cbxBACNBR->itemData(index).toInt(&ok);
    if (ok)
        shared().wrkBACNBR = account;
}

void mdiBANK_RECONCILIATION::prcSET_TOOLBAR_ACCESS() {
    for (int index = 1; index <= 11; ++index) {
        const QString code = toolbarSubsystem(index);
        if (code.isEmpty())
            continue;
        prcGET_USER_SECURITY(code, QStringLiteral("M"));
        if (shared().wrkSECLVL.isEmpty())
            m_buttons[std::size_t(index)]->setEnabled(false);
    }
    saveSetting(kStartup, QStringLiteral("ABRVER"), versionText());
}

void mdiBANK_RECONCILIATION::prcLOAD_CUSTOM_PROGRAMS() {
    m_maintenanceItems = 0;
    m_printingItems = 0;
    prcOPEN_RECORDSET(QStringLiteral("PROGRAMS"));
    while (!rsPROGRAMS.eof()) {
        const bool maintenance =
            rsPROGRAMS.field(QStringLiteral("cpmPGMTYP")).toString() == QLatin1String("M");
        const QString prefix = maintenance ? QStringLiteral("mtn") : QStringLiteral("prt");
        m_actions.value(prefix + QStringLiteral("CUSTOM"))->setVisible(true);
        int& placed = maintenance ? m_maintenanceItems : m_printingItems;
        const int n = placed++;
        // Five items per menu: later programs of the same kind get none.
        if (n <= 4) {
            QAction* item = m_actions.value(prefix + QStringLiteral("CUSTOM%1").arg((n + 1) * 10));
            item->setText(rsPROGRAMS.field(QStringLiteral("cpmPGMMNU")).toString());
            item->setVisible(true);
            (maintenance ? wrkCUSTOM_MAINTENANCE : wrkCUSTOM_PRINTING)[std::size_t(n)] =
                rsPROGRAMS.field(QStringLiteral("cpmPGMNME")).toString();
        }
        rsPROGRAMS.moveNext();
    }
}

void mdiBANK_RECONCILIATION::runCustomProgram(bool maintenance, int slot) {
    const QString file = maintenance ? customMaintenance(slot) : customPrinting(slot);
    startProgram(programFilePath(fncPROGRAM_FOLDER(), file));
}

void mdiBANK_RECONCILIATION::toolbarClicked(int index) {
    if (index == 13) {
        ChildWindow::open<frmCALCULATOR>();
        return;
    }
    QAction* button = toolbarButton(index);
    const QString program = toolbarProgram(index);
    // A disabled button starts nothing, however it is reached.
    if (!button || !button->isEnabled() || program.isEmpty())
        return;
    if (bringRunningProgramToTop(program.left(program.size() - 4)))
        return;
    if (program.contains(QLatin1Char('\\')) || program.contains(QLatin1Char('/')))
        startProgram(program);
    else
        startProgram(programFilePath(fncPROGRAM_FOLDER(), program));
}

void mdiBANK_RECONCILIATION::openMenuWindow(const QString& menuItem) {
    if (QAction* action = m_actions.value(menuItem))
        action->trigger();
}

ChildWindow* mdiBANK_RECONCILIATION::openWindow(const QString& name) const {
    return qobject_cast<ChildWindow*>(openFrame(name) ? openFrame(name)->widget() : nullptr);
}

QMdiSubWindow* mdiBANK_RECONCILIATION::openFrame(const QString& name) const {
    // The single instance is the frame whose window has that name and has not unloaded.
    const auto frames = m_area->subWindowList();
    for (QMdiSubWindow* frame : frames) {
        const auto* window = qobject_cast<ChildWindow*>(frame->widget());
        if (window && window->objectName() == name && !window->isUnloaded())
            return frame;
    }
    return nullptr;
}

ChildWindow* mdiBANK_RECONCILIATION::openChild(const QString& name, const Factory& factory,
                                               bool hourglass) {
    if (ChildWindow* open = openWindow(name)) {
        m_area->setActiveSubWindow(openFrame(name));
        return open;
    }
    if (!factory)
        return nullptr; // a window this build does not have
    Hourglass pointer(hourglass);
    // Loaded before it is framed, as a window is loaded before it is shown: the frame then
    // takes the size the window gave itself.
    ChildWindow* window = factory();
    QPointer<ChildWindow> alive(window);
    bool closedWhileLoading = false;
    const auto watch = connect(window, &ChildWindow::unloaded, this,
                               [&closedWhileLoading] { closedWhileLoading = true; });
    window->load();
    disconnect(watch);
    if (!alive || closedWhileLoading)
        return nullptr;
    const QSize designed = window->testAttribute(Qt::WA_Resized) ? window->size() : QSize();
    QMdiSubWindow* frame = m_area->addSubWindow(window);
    frame->setAttribute(Qt::WA_DeleteOnClose);
    frame->setWindowIcon(QIcon(QPixmap(1, 1)));
    frame->show();
    // The frame fits around the size the window gave itself.
    if (designed.isValid()) {
        frame->resize(designed + (frame->size() - window->size()));
        if (isVisible())
            fitInside(frame);
    }
    m_area->setActiveSubWindow(frame);
    return window;
}

void mdiBANK_RECONCILIATION::fitInside(QMdiSubWindow* frame) const {
    const QSize room = m_area->viewport()->size();
    if (room.width() > 100 && room.height() > 100)
        frame->resize(frame->size().boundedTo(room));
}

void mdiBANK_RECONCILIATION::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Windows opened during the start-up did not know the room they would have.
    QTimer::singleShot(0, this, [this] {
        const auto frames = m_area->subWindowList();
        for (QMdiSubWindow* frame : frames)
            fitInside(frame);
    });
}

void mdiBANK_RECONCILIATION::showHelp() {
    auto* help = new frmUSER_HELP();
    help->load();
    help->execModal(this);
}

void mdiBANK_RECONCILIATION::closeEvent(QCloseEvent* event) {
    // The child windows unload first; one that refuses keeps the program running.
    m_area->closeAllSubWindows();
    const auto frames = m_area->subWindowList();
    for (const QMdiSubWindow* frame : frames) {
        if (frame->isVisible()) {
            event->ignore();
            return;
        }
    }
    saveSetting(kStartup, QStringLiteral("BANK-RECONCILIATION"),
                QString::number(shared().wrkBACNBR));
    prcCLOSE_DATABASE();
    event->accept();
}

bool mdiBANK_RECONCILIATION::backgroundPictureShown() const {
    return static_cast<const BackgroundArea*>(m_area)->pictureShown();
}
