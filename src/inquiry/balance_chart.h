#pragma once

#include "after_month.h"

#include <QChartView>

class QBarSet;
class QLineSeries;

// The account's balances month by month over its last reconciliations: bank and ledger
// balance and the outstanding total as lines, the over/short difference as bars. Hovering
// shows a month's figures; a click asks for that month's outstanding items.
class BalanceChart : public QChartView {
    Q_OBJECT
public:
    explicit BalanceChart(QWidget* parent = nullptr);

    void setMonths(const QList<ledger::HistoryRow>& months);
    const QList<ledger::HistoryRow>& months() const { return m_months; }

    // The figures of one month, as hovering shows them.
    QString figuresText(int index) const;
    // The month under a point of the view; -1 when none.
    int monthAt(const QPoint& position) const;
    // Where a month's bank balance is drawn, in view coordinates.
    QPoint monthPosition(int index) const;

Q_SIGNALS:
    void monthClicked(int index);

protected:
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QList<ledger::HistoryRow> m_months;
    QLineSeries* m_bank = nullptr;
    int m_hovered = -1;
};
