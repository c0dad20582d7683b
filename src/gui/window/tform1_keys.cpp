#include "window/tform1.h"

#include "module/moduledata.h"
#include "widgets/portcombobox.h"

#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QWheelEvent>

#include <cstdlib>

// Keys and gestures of the main window: the debug window's unlock word, the page keys that step
// over hidden pages, and Return in the connection group.
bool TForm1::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_module->info.EditModTyp && event->type() == QEvent::KeyPress) {
        if (m_unlock.press(static_cast<QKeyEvent *>(event)->key()))
            setDebugWindowVisible(true);
    }
    if (watched == PageControl1 || watched == PageControl1->tabBar()) {
        if (const int step = pageStepOf(event, watched == PageControl1->tabBar())) {
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

int TForm1::pageStepOf(QEvent *event, bool onTabBar) const
{
    // Qt's own page keys and the tab bar's arrows and wheel know nothing of hidden pages; these
    // are taken here and step over them.
    if (event->type() == QEvent::Wheel && onTabBar) {
        const QPoint delta = static_cast<QWheelEvent *>(event)->angleDelta();
        const int amount = std::abs(delta.y()) >= std::abs(delta.x()) ? delta.y() : delta.x();
        return amount == 0 ? 0 : (amount > 0 ? -1 : 1);
    }
    if (event->type() != QEvent::KeyPress)
        return 0;
    const auto *key = static_cast<QKeyEvent *>(event);
    const bool control = key->modifiers() & Qt::ControlModifier;
    switch (key->key()) {
    case Qt::Key_Tab:
        return control ? (key->modifiers() & Qt::ShiftModifier ? -1 : 1) : 0;
    case Qt::Key_Backtab:
        return control ? -1 : 0;
    case Qt::Key_PageDown:
        return control ? 1 : 0;
    case Qt::Key_PageUp:
        return control ? -1 : 0;
    case Qt::Key_Left:
    case Qt::Key_Up:
        return onTabBar ? -1 : 0;
    case Qt::Key_Right:
    case Qt::Key_Down:
        return onTabBar ? 1 : 0;
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
