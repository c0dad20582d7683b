#include "window/tform1.h"

#include "monitor/monitorhandlers.h"
#include "monitor/monitorsweep.h"
#include "rf/linkrecorder.h"
#include "texts/language.h"
#include "texts/languagechoice.h"
#include "texts/languagetexts.h"

#include <QComboBox>
#include <QPushButton>

#include <iterator>

void TForm1::setLanguageIndex(int index)
{
    m_shared.languageIndex = index;
    CBoxLanguage->setCurrentIndex(index);
    applyLanguage();
}

void TForm1::keepingRunningCaptions(const std::function<void()> &setTexts)
{
    // "Stop" on a start button is the record that its activity runs; new texts must not end it.
    QPushButton *const starts[] = {hfTest.BtnStartHF_Test, hfTest.BtnStartLinkControl,
                                   monitor.BtnMonitor_Start};
    bool running[std::size(starts)];
    for (std::size_t i = 0; i < std::size(starts); ++i)
        running[i] = starts[i]->text() == QLatin1String("Stop");
    setTexts();
    for (std::size_t i = 0; i < std::size(starts); ++i) {
        if (running[i])
            starts[i]->setText(QStringLiteral("Stop"));
    }
}

void TForm1::applyLanguage()
{
    const bool monitorRunning = m_monitorHandlers->sweep()->isRunning();
    keepingRunningCaptions([this] { applyLanguageTexts(this, languageIndex()); });
    m_monitorHandlers->applyLanguage(languageIndex(), monitorRunning);
    m_linkRecorder->applyLanguage();
    useQtTranslation(languageIndex());
    fitWidth();
}

void TForm1::CBoxLanguageChange()
{
    // A switch while the tool runs keeps the configuration shown on the pages; the choice is
    // remembered for the next start.
    m_shared.languageIndex = CBoxLanguage->currentIndex();
    const bool monitorRunning = m_monitorHandlers->sweep()->isRunning();
    keepingRunningCaptions([this] { switchLanguageTexts(this, languageIndex()); });
    m_monitorHandlers->applyLanguage(languageIndex(), monitorRunning);
    m_linkRecorder->applyLanguage();
    useQtTranslation(languageIndex());
    fitWidth();
    if (languageIndex() < 0)
        return;
    const QString reason = writeLanguageChoice(languagePath(), languageIndex());
    if (!reason.isEmpty())
        showMessage(QString::fromUtf8(kLanguageNotSaved.german) + QStringLiteral("\r\n") + reason,
                    QString::fromUtf8(kLanguageNotSaved.english) + QStringLiteral("\r\n") + reason);
}

QString TForm1::languagePath() const
{
    return m_programFolder + QLatin1String(kLanguageFileName);
}
