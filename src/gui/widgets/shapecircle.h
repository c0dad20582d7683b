#pragma once

#include <QColor>
#include <QWidget>

// A filled circle whose colour tells a state at a glance.
class ShapeCircle : public QWidget
{
    Q_OBJECT
public:
    explicit ShapeCircle(QWidget *parent = nullptr);

    QColor brushColor() const { return m_color; }
    void setBrushColor(const QColor &color);

    QSize sizeHint() const override { return {24, 24}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QColor m_color = Qt::red;
};
