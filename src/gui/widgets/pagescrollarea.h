#pragma once

#include <QScrollArea>

// Holds the content of one page: as wide as the content needs, as tall as the window allows,
// scrolling vertically where the screen is too low for the whole page.
class PageScrollArea : public QScrollArea
{
    Q_OBJECT
public:
    explicit PageScrollArea(QWidget *parent = nullptr);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Puts a scroll area into the page and returns the widget that takes the page's controls.
QWidget *addScrolledContent(QWidget *page);
// The widget that holds the page's controls: the scrolled content, or the page itself.
QWidget *contentOf(QWidget *page);
