#include "balance_chart.h"

#include "common.h"
#include "context.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QLineSeries>
#include <QMouseEvent>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cmath>

BalanceChart::BalanceChart(QWidget* parent) : QChartView(parent) {
    setObjectName(QStringLiteral("chtBALANCES"));
    setRenderHint(QPainter::Antialiasing);
    setMouseTracking(true);
    setMinimumSize(640, 360);
}

void BalanceChart::setMonths(const QList<ledger::HistoryRow>& months) {
    m_months = months;
    m_hovered = -1;
    const bool spanish = shared().spanish();
    const auto say = [spanish](const char* english, const char* inSpanish) {
        return QString::fromUtf8(spanish ? inSpanish : english);
    };
    auto* chart = new QChart;
    chart->setTitle(say("Balances by Month", "Saldos por Mes"));
    chart->legend()->setAlignment(Qt::AlignBottom);

    auto* difference = new QBarSet(say("Over/-Short", "Sobre/-Corto"));
    difference->setColor(QColor(255, 160, 122));
    auto* bars = new QBarSeries;
    bars->append(difference);
    m_bank = new QLineSeries;
    m_bank->setName(say("Bank Balance", "Saldo del Banco"));
    auto* ledger = new QLineSeries;
    ledger->setName(say("Ledger Balance", "Saldo del Libro"));
    auto* outstanding = new QLineSeries;
    outstanding->setName(say("Outstanding", "Pendiente"));
    QPen dashed(QColor(0, 128, 0));
    dashed.setStyle(Qt::DashLine);
    dashed.setWidth(2);
    outstanding->setPen(dashed);

    QStringList labels;
    double low = 0;
    double high = 0;
    for (int i = 0; i < months.size(); ++i) {
        const ledger::HistoryRow& m = months.at(i);
        labels << m.label();
        *difference << m.difference;
        m_bank->append(i, m.bankBalance);
        ledger->append(i, m.ledgerBalance);
        outstanding->append(i, m.outstanding);
        for (double v : {m.difference, m.bankBalance, m.ledgerBalance, m.outstanding}) {
            low = std::min(low, v);
            high = std::max(high, v);
        }
    }
    chart->addSeries(bars);
    for (QLineSeries* line : {m_bank, ledger, outstanding}) {
        line->setPointsVisible(true);
        chart->addSeries(line);
    }

    auto* categories = new QBarCategoryAxis;
    categories->append(labels);
    chart->addAxis(categories, Qt::AlignBottom);
    auto* values = new QValueAxis;
    const double margin = std::max(1.0, (high - low) * 0.05);
    values->setRange(low - margin, high + margin);
    values->setLabelFormat(QStringLiteral("%.0f"));
    values->applyNiceNumbers();
    chart->addAxis(values, Qt::AlignLeft);
    for (QAbstractSeries* series : chart->series()) {
        series->attachAxis(categories);
        series->attachAxis(values);
    }
    QChart* old = this->chart();
    setChart(chart);
    delete old;
}

QString BalanceChart::figuresText(int index) const {
    if (index < 0 || index >= m_months.size())
        return QString();
    const ledger::HistoryRow& m = m_months.at(index);
    const auto money = [](double v) { return formatNumber(v, QStringLiteral("###0.00")); };
    return (shared().spanish()
                ? QStringLiteral("%1 (estado de cuenta %2)\nSaldo del banco: %3\nSaldo del libro: "
                                 "%4\nPendiente: %5\nSobre/-Corto: %6\nHaga clic para ver las "
                                 "partidas pendientes.")
                : QStringLiteral("%1 (statement %2)\nBank balance: %3\nLedger balance: %4\n"
                                 "Outstanding: %5\nOver/-Short: %6\nClick for the outstanding "
                                 "items."))
        .arg(m.label(), fncFORMAT_DATE(m.statementDate), money(m.bankBalance),
             money(m.ledgerBalance), money(m.outstanding), money(m.difference));
}

QPoint BalanceChart::monthPosition(int index) const {
    if (!m_bank || index < 0 || index >= m_months.size())
        return {};
    const QPointF scene =
        chart()->mapToPosition(QPointF(index, m_months.at(index).bankBalance), m_bank);
    return mapFromScene(chart()->mapToScene(scene));
}

int BalanceChart::monthAt(const QPoint& position) const {
    if (!m_bank || m_months.isEmpty() || !chart()->plotArea().contains(mapToScene(position)))
        return -1;
    const QPointF value = chart()->mapToValue(chart()->mapFromScene(mapToScene(position)), m_bank);
    const int index = static_cast<int>(std::lround(value.x()));
    return index >= 0 && index < m_months.size() ? index : -1;
}

void BalanceChart::mouseMoveEvent(QMouseEvent* event) {
    QChartView::mouseMoveEvent(event);
    const int index = monthAt(event->position().toPoint());
    if (index == m_hovered)
        return;
    m_hovered = index;
    if (index < 0)
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPosition().toPoint(), figuresText(index), this);
}

void BalanceChart::mouseReleaseEvent(QMouseEvent* event) {
    QChartView::mouseReleaseEvent(event);
    const int index = monthAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && index >= 0)
        Q_EMIT monthClicked(index);
}
