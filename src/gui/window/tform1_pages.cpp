#include "window/tform1.h"

#include "link/exchangelog.h"
#include "rf/linkcontrol.h"

#include <QGroupBox>
#include <QPushButton>
#include <QTabWidget>

void TForm1::setTabVisible(QWidget *page, bool visible)
{
    // Hiding the shown tab makes the tab widget pick another one by itself; that is no page
    // being shown by the user or the program.
    ++m_pageRulesSuppressed;
    PageControl1->setTabVisible(PageControl1->indexOf(page), visible);
    --m_pageRulesSuppressed;
    bool any = false;
    for (int i = 0; i < PageControl1->count(); ++i)
        any = any || PageControl1->isTabVisible(i);
    if (!any)
        m_shownPage = -1;
}

void TForm1::selectPage(int index)
{
    ++m_pageRulesSuppressed;
    PageControl1->setCurrentIndex(index);
    --m_pageRulesSuppressed;
    if (index != m_shownPage && PageControl1->isTabVisible(index))
        pageShown(index);
}

void TForm1::pageShown(int index)
{
    m_shownPage = index;
    QWidget *page = PageControl1->widget(index);
    const bool config = page == Konfig_B || page == Konfig_C;
    BtnKonfigurieren->setVisible(config);
    BtnAuslesen->setVisible(config || page == Modulinfo);
    GBox_Save_konfig->setVisible(config);
    if (page == HF_Test)
        m_linkControl->pageShown();
}

void TForm1::setDebugWindowVisible(bool visible)
{
    // Earlier changes first, so that the window has the size they give it when the log opens
    // or closes.
    relayout();
    const QRect frame = frameGeometry();
    const QRect client = geometry();
    GBox_Debugfenster->setVisible(visible);
    if (visible)
        m_log->showLatest();
    fitWidth(frame, client);
}

void TForm1::BtnDebugfensterClick()
{
    setDebugWindowVisible(GBox_Debugfenster->isHidden());
}

void TForm1::BtnCloseClick()
{
    setDebugWindowVisible(false);
}

void TForm1::BtnClearClick()
{
    m_log->clear();
}
