#include "window/tform1.h"

#include "module/moduledata.h"
#include "widgets/portcombobox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>

#include <cstdlib>

// Keys and gestures of the main window: the debug window's unlock word, the page keys that step
// over hidden pages, and Return in the connection group.
void TForm1::buildPageKeys()
{
    // Window shortcuts come before the focused control sees the key: a combo box, slider or
    // spin box would otherwise turn its own value with Ctrl+PgDn, which Qt's tab widget only
    // gets when the control leaves the key alone.
    const struct {
        QKeyCombination keys;
        int step;
    } pageKeys[] = {
        {Qt::CTRL | Qt::Key_PageDown, 1},
        {Qt::CTRL | Qt::Key_PageUp, -1},
        {Qt::CTRL | Qt::Key_Tab, 1},
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Tab, -1},
        // Shift+Tab arrives as Backtab, with or without Shift among the modifiers.
        {Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab, -1},
        {Qt::CTRL | Qt::Key_Backtab, -1},
    };
    for (const auto &[keys, step] : pageKeys) {
        auto *shortcut = new QShortcut(QKeySequence(keys), this);
        connect(shortcut, &QShortcut::activated, this, [this, step = step] { stepPage(step); });
    }
}

bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_module->info.EditModTyp && event->type() == QEvent::KeyPress) {
        if (m_unlock.press(static_cast<QKeyEvent *>(event)->key()))
            setDebugWindowVisible(true);
    }
    if (watched == PageControl1->tabBar()) {
        if (const int step = pageStepOf(event)) {
            stepPage(step);
            return true;
        }
    }
    if (event->type() == QEvent::KeyPress && isConnectionField(watched)) {
        // Return in the connection group connects, as the button does.
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (BtnVerbinden->isEnabled())
                BtnVerbinden->click();
            return true;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool TForm1::isConnectionField(const QObject *object) const
{
    return object == CBox_COM || object == CBox_COM->lineEdit() || object == CBox_RS232_baud ||
           object == CBox_RS232_baud->lineEdit() || object == CheckBox_ComSave ||
           object == BtnVerbinden;
}

int TForm1::pageStepOf(QEvent *event) const
{
    // The tab bar's arrows and wheel know nothing of hidden pages; these are taken here and step
    // over them.
    if (event->type() == QEvent::Wheel) {
        const QPoint delta = static_cast<QWheelEvent *>(event)->angleDelta();
        const int amount = std::abs(delta.y()) >= std::abs(delta.x()) ? delta.y() : delta.x();
        return amount == 0 ? 0 : (amount > 0 ? -1 : 1);
    }
    if (event->type() != QEvent::KeyPress)
        return 0;
    switch (static_cast<QKeyEvent *>(event)->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
        return -1;
    case Qt::Key_Right:
    case Qt::Key_Down:
        return 1;
    default:
        return 0;
    }
}

void TForm1::stepPage(int step)
{
    const int count = PageControl1->count();
    int index = PageControl1->currentIndex();
    for (int tried = 0; tried < count; ++tried) {
        index = (index + step + count) % count;
        if (PageControl1->isTabVisible(index) && PageControl1->isTabEnabled(index)) {
            if (index != PageControl1->currentIndex())
                PageControl1->setCurrentIndex(index);
            return;
        }
    }
}
