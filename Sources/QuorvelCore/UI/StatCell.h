#pragma once

#include <QWidget>

namespace quorvel {

class PanelLabel;
class TextView;

// A figure over its caption; cells in a row share the width equally.
class StatCell : public QWidget {
    Q_OBJECT
public:
    StatCell(const QString &value, const QString &label, QWidget *parent = nullptr);

    void setValue(const QString &value);
    TextView *valueView() const { return value_; }
    PanelLabel *labelView() const { return label_; }

private:
    TextView *value_;
    PanelLabel *label_;
};

} // namespace quorvel
