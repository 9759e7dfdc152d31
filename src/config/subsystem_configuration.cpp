#include "subsystem_configuration.h"

#include "clock.h"
#include "common.h"
#include "company.h"
#include "context.h"
#include "flex_grid.h"
#include "messages.h"
#include "report.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr int kPlacementTwips = 100;
// What svmVALTXT holds; the server would cut longer text without a word.
constexpr int kValueLength = 255;

QLineEdit* textBox(QWidget* parent, const char* name, int widthChars) {
    auto* box = new QLineEdit(parent);
    box->setObjectName(QLatin1String(name));
    box->setMaxLength(kValueLength);
    if (widthChars > 0)
        box->setFixedWidth(box->fontMetrics().averageCharWidth() * widthChars + 12);
    return box;
}

} // namespace

const std::array<const char*, 7>& frmSUBSYSTEM_CONFIGURATION::valueCodes() {
    static const std::array<const char*, 7> codes{"BNKNME", "BNKADD", "BNKCTY", "BNKSTE",
                                                  "BNKZIP", "MCRCDE", "CHKLGO"};
    return codes;
}

frmSUBSYSTEM_CONFIGURATION::frmSUBSYSTEM_CONFIGURATION(QWidget* parent)
    : ChildWindow(QLatin1String(kName), parent) {
    setDesignedPosition(kPlacementTwips, kPlacementTwips);
    addCaption(this, QStringLiteral("Subsystem Configuration"),
               QStringLiteral("Configuración del Subsistema"));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(buildSettings());
    // The buttons keep their English captions in both languages.
    grpCONTROL = addControlFrame(
        {{tbcOK, "tbcOK", QStringLiteral("&OK"), QStringLiteral("&OK")},
         {tbcCANCEL, "tbcCANCEL", QStringLiteral("&Cancel"), QStringLiteral("&Cancel")}});
    layout->addWidget(grpCONTROL);
    setMinimumWidth(FlexGrid::twipsToPixels(6600));

    // activated: only the clerk's choice writes, never the load showing the current one.
    connectCommand(cbxLEDGER, &QComboBox::activated, [this](int index) { ledgerChosen(index); });
    connect(tbcCHKLGO, &QPushButton::clicked, this, &frmSUBSYSTEM_CONFIGURATION::chooseLogo);
    connectCommand(tbcOK, &QPushButton::clicked, [this] { okClicked(); });
    connect(tbcCANCEL, &QPushButton::clicked, this, &ChildWindow::closeWindow);
}

QGroupBox* frmSUBSYSTEM_CONFIGURATION::buildSettings() {
    grpSETTING = addControl<QGroupBox>(this, "grpSETTING", QStringLiteral("Settings"),
                                       QStringLiteral("Colocación"));
    lblBANK = addControl<QLabel>(
        grpSETTING, "lblBANK", QStringLiteral("Select Bank Account from General Ledger Accounts"),
        QStringLiteral("Las Cuentas bancarias selectas del Libro de contabilidad General "
                       "Dan cuenta."));
    lblBANK->setWordWrap(true);
    cbxLEDGER = addControl<QComboBox>(grpSETTING, "cbxLEDGER");
    cbxLEDGER->setMinimumContentsLength(36);
    cbxLEDGER->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);

    // The captions without a Spanish text keep their English one in both languages.
    const auto english = [this](const char* name, const QString& text) {
        return addControl<QLabel>(grpSETTING, name, text, text);
    };
    QLabel* lblBNKNME = english("lblBNKNME", QStringLiteral("Bank Name:"));
    QLabel* lblADDRS1 = english("lblADDRS1", QStringLiteral("Address:"));
    QLabel* lblCTSTZP = english("lblCTSTZP", QStringLiteral("City/St/ZipCode:"));
    QLabel* lblMCRCDE = english(
        "lblMCRCDE", QStringLiteral("Check MICR Coding (Routing Infomation Not Preprinted)."));
    QLabel* lblFILPTH = english("lblFILPTH", QStringLiteral("Select Check Logo File and Path"));
    tbxBNKNME = textBox(grpSETTING, "tbxBNKNME", 0);
    tbxBNKADD = textBox(grpSETTING, "tbxBNKADD", 0);
    tbxBNKCTY = textBox(grpSETTING, "tbxBNKCTY", 0);
    tbxBNKSTE = textBox(grpSETTING, "tbxBNKSTE", 4);
    tbxBNKZIP = textBox(grpSETTING, "tbxBNKZIP", 11);
    tbxMCRCDE = textBox(grpSETTING, "tbxMCRCDE", 0);
    tbxCHKLGO = textBox(grpSETTING, "tbxCHKLGO", 0);
    tbcCHKLGO = addControl<QPushButton>(grpSETTING, "tbcCHKLGO", QStringLiteral("..."),
                                        QStringLiteral("..."));
    tbcCHKLGO->setFixedWidth(tbcCHKLGO->fontMetrics().horizontalAdvance(QStringLiteral("...")) +
                             24);
    m_values = {tbxBNKNME, tbxBNKADD, tbxBNKCTY, tbxBNKSTE, tbxBNKZIP, tbxMCRCDE, tbxCHKLGO};

    auto* settings = new QGridLayout(grpSETTING);
    settings->addWidget(lblBANK, 0, 0, 1, 2);
    settings->addWidget(cbxLEDGER, 1, 0, 1, 2);
    settings->setRowMinimumHeight(2, 8);
    settings->addWidget(lblBNKNME, 3, 0);
    settings->addWidget(tbxBNKNME, 3, 1);
    settings->addWidget(lblADDRS1, 4, 0);
    settings->addWidget(tbxBNKADD, 4, 1);
    settings->addWidget(lblCTSTZP, 5, 0);
    auto* cityLine = new QHBoxLayout();
    cityLine->addWidget(tbxBNKCTY, 1);
    cityLine->addWidget(tbxBNKSTE);
    cityLine->addWidget(tbxBNKZIP);
    settings->addLayout(cityLine, 5, 1);
    settings->setRowMinimumHeight(6, 8);
    settings->addWidget(lblMCRCDE, 7, 0, 1, 2);
    settings->addWidget(tbxMCRCDE, 8, 0, 1, 2);
    settings->addWidget(lblFILPTH, 9, 0, 1, 2);
    auto* logoLine = new QHBoxLayout();
    logoLine->addWidget(tbxCHKLGO, 1);
    logoLine->addWidget(tbcCHKLGO);
    settings->addLayout(logoLine, 10, 0, 1, 2);
    settings->setColumnStretch(1, 1);
    return grpSETTING;
}

void frmSUBSYSTEM_CONFIGURATION::loadWindow() {

    const auto& codes = valueCodes();
    for (size_t i = 0; i < codes.size(); ++i) {
        const QString code = QLatin1String(codes[i]);
        wrkEXISTS[i] = true;
        prcSYSTEM_VALUE(QStringLiteral("RETRIEVE"), code, QString(), 0, 0);
        if (m_systemValue.eof()) {
            wrkEXISTS[i] = false;
            valueBox(int(i))->clear();
        } else {
            valueBox(int(i))->setText(m_systemValue.field(QStringLiteral("svmVALTXT")).toString());
        }
    }

    cbxLEDGER->clear();
    prcLEDGER(QStringLiteral("LEDGERS"));
    int shown = -1;
    for (; !m_ledger.eof(); m_ledger.moveNext()) {
        const int account = int(fncFIELD_NUMBER(m_ledger, QStringLiteral("glmGLANBR")));
        cbxLEDGER->addItem(QString::number(account) + QLatin1Char(' ') +
                               m_ledger.field(QStringLiteral("glmGLANME")).toString(),
                           account);
        // The last bank account listed wins, should there be more than one.
        if (m_ledger.field(QStringLiteral("glmGLATYP")).toString().trimmed() ==
            QLatin1String("BNK")) {
            wrkGLANBR = account;
            shown = cbxLEDGER->count() - 1;
        }
    }
    cbxLEDGER->setCurrentIndex(shown);
}

int frmSUBSYSTEM_CONFIGURATION::fiscalYear() const {
    // The year of today's date under the company's first month, which need not be the
    // year the main window works in.
    return fncFISCAL_YEAR(dateNumber(today()), QStringLiteral("*"));
}

void frmSUBSYSTEM_CONFIGURATION::prcSYSTEM_VALUE(const QString& action, const QString& code,
                                                 const QString& text, float number, int flag) {
    // The text may come from the file dialog or from the database rather than the
    // keyboard, so a quote in it is doubled (typed text holds none).
    const QString value = sqlText(text);
    const QString numberText = QString::number(double(number), 'g', 7);
    const QString flagText = QString::number(quint8(flag));
    QString sql;
    if (action == QLatin1String("RETRIEVE"))
        sql = QStringLiteral("Select * from SYS_SYSTEM_VALUE_MASTER%1 where svmVALCDE='%2'")
                  .arg(shared().wrkNOLOCK, code);
    else if (action == QLatin1String("INSERT"))
        sql = QStringLiteral("Insert into SYS_SYSTEM_VALUE_MASTER(svmVALCDE,svmVALTXT,svmVALNBR,"
                             "svmVALCHK) values('%1','%2',%3,%4)")
                  .arg(code, value, numberText, flagText);
    else if (action == QLatin1String("UPDATE"))
        sql = QStringLiteral("Update SYS_SYSTEM_VALUE_MASTER set svmVALTXT='%1',svmVALNBR=%2,"
                             "svmVALCHK=%3 where svmVALCDE='%4'")
                  .arg(value, numberText, flagText, code);
    else if (action == QLatin1String("DELETE"))
        sql = QStringLiteral("Delete from SYS_SYSTEM_VALUE_MASTER where svmVALCDE='%1'").arg(code);
    else
        return;
    m_systemValue = db().execute(sql);
}

void frmSUBSYSTEM_CONFIGURATION::prcLEDGER(const QString& action) {
    const QString fy = QString::number(fiscalYear());
    QString sql;
    if (action == QLatin1String("LEDGERS"))
        sql = QStringLiteral("Select * from LDG_GENERAL_LEDGER_MASTER%1 where glmFSYEAR=%2 and "
                             "glmGLACDE='CA' order by glmGLANBR")
                  .arg(shared().wrkNOLOCK, fy);
    else if (action == QLatin1String("CLEAR"))
        sql = QStringLiteral("Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='' where glmFSYEAR=%1 "
                             "and glmGLATYP='BNK'")
                  .arg(fy);
    else if (action == QLatin1String("UPDATE"))
        sql = QStringLiteral("Update LDG_GENERAL_LEDGER_MASTER set glmGLATYP='BNK' where "
                             "glmFSYEAR=%1 and glmGLANBR=%2")
                  .arg(fy)
                  .arg(wrkGLANBR);
    else
        return;
    m_ledger = db().execute(sql);
}

void frmSUBSYSTEM_CONFIGURATION::ledgerChosen(int index) {
    if (index < 0)
        return;
    wrkGLANBR = cbxLEDGER->itemData(index).toInt();
    if (wrkGLANBR > 0) {
        prcLEDGER(QStringLiteral("CLEAR"));
        prcLEDGER(QStringLiteral("UPDATE"));
    }
}

void frmSUBSYSTEM_CONFIGURATION::chooseLogo() {
    QFileDialog dialog(this, QStringLiteral("Select Check Logo File and Path"));
    dialog.setObjectName(QStringLiteral("dlgCHKLGO"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setNameFilters({QStringLiteral("Pictures (*.bmp *.jpg *.jpeg *.gif *.png)"),
                           QStringLiteral("All Files (*)")});
    const QString current = tbxCHKLGO->text();
    if (!current.isEmpty()) {
        const QFileInfo info(current);
        if (info.dir().exists())
            dialog.setDirectory(info.dir());
        dialog.selectFile(info.fileName());
    }
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
    if (chosen.size() > kValueLength) {
        showMessage(shared().spanish()
                        ? QStringLiteral("La ruta del archivo tiene más de %1 caracteres. Guarde "
                                         "el logotipo en una carpeta de ruta más corta.")
                              .arg(kValueLength)
                        : QStringLiteral("The file's path is longer than %1 characters. Keep the "
                                         "logo in a folder with a shorter path.")
                              .arg(kValueLength));
        return;
    }
    tbxCHKLGO->setText(chosen);
}

void frmSUBSYSTEM_CONFIGURATION::okClicked() {
    const auto& codes = valueCodes();
    for (size_t i = 0; i < codes.size(); ++i) {
        const QString code = QLatin1String(codes[i]);
        const QString text = valueBox(int(i))->text();
        if (wrkEXISTS[i]) {
            prcSYSTEM_VALUE(QStringLiteral("UPDATE"), code, text, 0, 0);
        } else {
            prcSYSTEM_VALUE(QStringLiteral("INSERT"), code, text, 0, 0);
            // Should a later statement fail, OK again must not insert this code twice.
            wrkEXISTS[i] = true;
        }
    }
    endProgram();
}
