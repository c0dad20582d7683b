#include "window/aboutbox.h"

#include "module/tables.h"
#include "texts/abouttexts.h"
#include "widgets/pagescrollarea.h"
#include "window/datafolder.h"

#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QTextDocument>
#include <QVBoxLayout>
#include <QtMath>

#include <algorithm>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

// The box was drawn with an 11-pixel default font; its texts keep their sizes relative to the
// desktop's font, so that a larger desktop font enlarges them all alike.
constexpr double kDesignFontPixels = 11.0;

QFont relativeFont(const QFont &base, int designPixels, bool bold)
{
    QFont font = base;
    const double factor = designPixels / kDesignFontPixels;
    if (base.pointSizeF() > 0)
        font.setPointSizeF(base.pointSizeF() * factor);
    else
        font.setPixelSize(qRound(base.pixelSize() * factor));
    font.setBold(bold);
    return font;
}

QLabel *boldLabel(QWidget *parent, const char *name, int designPixels,
                  const QString &text = QString())
{
    auto *label = named(new QLabel(text, parent), name);
    label->setFont(relativeFont(label->font(), designPixels, true));
    return label;
}

} // namespace

QPixmap drawKorvelLogo(int width, int height)
{
    QPixmap pixmap(width, height);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);

    QLinearGradient sky(0, 0, 0, height);
    sky.setColorAt(0.0, QColor(0x1f, 0x4e, 0x8c));
    sky.setColorAt(1.0, QColor(0x0b, 0x24, 0x45));
    painter.setPen(Qt::NoPen);
    painter.setBrush(sky);
    painter.drawRoundedRect(QRectF(0.5, 0.5, width - 1.0, height - 1.0), 10, 10);

    // A mast on the left with three waves leaving it.
    const QPointF tip(height * 0.55, height * 0.35);
    painter.setPen(QPen(QColor(0xff, 0xc8, 0x3d), height * 0.05, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(tip, QPointF(tip.x() - height * 0.18, height * 0.85));
    painter.drawLine(tip, QPointF(tip.x() + height * 0.18, height * 0.85));
    painter.drawLine(QPointF(tip.x() - height * 0.12, height * 0.65),
                     QPointF(tip.x() + height * 0.12, height * 0.65));
    painter.setBrush(Qt::NoBrush);
    for (int wave = 1; wave <= 3; ++wave) {
        const qreal r = height * 0.11 * wave;
        const QRectF box(tip.x() - r, tip.y() - r, 2 * r, 2 * r);
        painter.drawArc(box, -45 * 16, 90 * 16);
        painter.drawArc(box, 135 * 16, 90 * 16);
    }

    const qreal textLeft = height * 1.05;
    const QRectF textArea(textLeft, 0, width - textLeft - height * 0.15, height);
    QFont name(QStringLiteral("Sans Serif"));
    name.setBold(true);
    name.setPixelSize(int(height * 0.36));
    painter.setFont(name);
    painter.setPen(Qt::white);
    painter.drawText(textArea.adjusted(0, height * 0.08, 0, -height * 0.40),
                     Qt::AlignLeft | Qt::AlignBottom, QStringLiteral("Korvel-Config"));
    QFont band = name;
    band.setBold(false);
    band.setPixelSize(int(height * 0.16));
    painter.setFont(band);
    painter.setPen(QColor(0xff, 0xc8, 0x3d));
    painter.drawText(textArea.adjusted(0, height * 0.64, 0, 0), Qt::AlignLeft | Qt::AlignTop,
                     QStringLiteral("433 / 868 MHz"));
    return pixmap;
}

TAboutBox::TAboutBox(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("AboutBox"));
    setModal(true);

    // Everything but the OK button lies on the panel, which scrolls where the screen is too low
    // for it, as the window's pages do.
    Panel1 = named(new QFrame, "Panel1");
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);
    auto *area = new PageScrollArea(this);
    area->setWidget(Panel1);
    auto *grid = new QGridLayout(Panel1);
    grid->setContentsMargins(12, 8, 12, 8);
    grid->setHorizontalSpacing(24);

    ProductName = boldLabel(Panel1, "ProductName", 24);
    QFont underlined = ProductName->font();
    underlined.setUnderline(true);
    ProductName->setFont(underlined);
    Information = boldLabel(Panel1, "Information", 16);

    ProgramIcon = named(new QLabel(Panel1), "ProgramIcon");
    ProgramIcon->setFixedSize(kLogoWidth, kLogoHeight);
    ProgramIcon->setScaledContents(true);

    MemoKompatibel = named(new QPlainTextEdit(Panel1), "MemoKompatibel");
    MemoKompatibel->setReadOnly(true);
    MemoKompatibel->setFrameShape(QFrame::NoFrame);
    MemoKompatibel->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoKompatibel->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoKompatibel->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    MemoKompatibel->setBackgroundRole(QPalette::Button);
    MemoKompatibel->viewport()->setBackgroundRole(QPalette::Button);

    Label_Version = boldLabel(Panel1, "Label_Version", 13, QStringLiteral("Version:"));
    Version = boldLabel(Panel1, "Version", 13);
    Label_Date = boldLabel(Panel1, "Label_Date", 13);
    Datum = boldLabel(Panel1, "Datum", 13);
    Firma = boldLabel(Panel1, "Firma", 13);
    Label_Design = boldLabel(Panel1, "Label_Design", 13, QStringLiteral("Design:"));
    Design = boldLabel(Panel1, "Design", 13);
    Label_Web = boldLabel(Panel1, "Label_Web", 13, QStringLiteral("Web:"));
    Web = boldLabel(Panel1, "Web", 13);

    // Where this copy keeps its files: next to the program, or the user's data folder when the
    // program's folder cannot be written (an installed copy).
    LabelDataFolder = named(new QLabel(Panel1), "LabelDataFolder");

    int row = 0;
    grid->addWidget(ProductName, row++, 0, 1, 2);
    grid->addWidget(Information, row++, 0, 1, 2);
    grid->addWidget(ProgramIcon, row++, 0, 1, 2);
    grid->addWidget(MemoKompatibel, row++, 0, 1, 2);
    grid->addWidget(Label_Version, row, 0);
    grid->addWidget(Version, row++, 1);
    grid->addWidget(Label_Date, row, 0);
    grid->addWidget(Datum, row++, 1);
    grid->setRowMinimumHeight(row++, Firma->fontMetrics().height() / 2);
    grid->addWidget(Firma, row++, 0, 1, 2);
    grid->addWidget(Label_Design, row, 0);
    grid->addWidget(Design, row++, 1);
    grid->addWidget(Label_Web, row, 0);
    grid->addWidget(Web, row++, 1);
    grid->addWidget(LabelDataFolder, row++, 0, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(row, 1);

    OKButton = named(new QPushButton(QStringLiteral("OK"), this), "OKButton");
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);
    layout->addWidget(area, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
}

void TAboutBox::fillTexts(int languageIndex)
{
    const AboutTexts &texts = aboutTexts(languageIndex);
    const auto set = [](QLabel *label, const char *text) {
        label->setText(QString::fromUtf8(text));
    };
    set(ProductName, texts.productName);
    setWindowTitle(QString::fromUtf8(texts.caption));
    set(Information, texts.information);
    set(Label_Date, texts.dateLabel);
    // The list shows whole, in the window's font: the box grows to it, and scrolls where the
    // screen is too small.
    const QStringList compatibility = splitItems(QString::fromUtf8(texts.compatibility));
    MemoKompatibel->setPlainText(compatibility.join(QLatin1Char('\n')));
    const QFontMetrics memo = MemoKompatibel->fontMetrics();
    int widest = 0;
    for (const QString &line : compatibility)
        widest = std::max(widest, memo.horizontalAdvance(line));
    const int margins =
        2 * (qCeil(MemoKompatibel->document()->documentMargin()) + MemoKompatibel->frameWidth());
    MemoKompatibel->setFixedSize(widest + margins + memo.averageCharWidth(),
                                 int(compatibility.size()) * memo.lineSpacing() + margins +
                                     memo.descent());
    set(Version, texts.version);
    set(Datum, texts.date);
    set(Web, texts.web);
    set(Firma, texts.company);
    set(Design, texts.designer);
    const QString files =
        (languageIndex == 0 ? QStringLiteral("Dateien: ") : QStringLiteral("Files: ")) +
        QDir::toNativeSeparators(m_dataFolder);
    // A long folder is shortened in the middle to the width of the list; the tooltip holds it all.
    const int room = std::max(MemoKompatibel->width(), ProgramIcon->width());
    LabelDataFolder->setText(
        LabelDataFolder->fontMetrics().elidedText(files, Qt::ElideMiddle, room));
    LabelDataFolder->setToolTip(dataFolderDescription(languageIndex, m_dataFolder));
    const qreal ratio = devicePixelRatioF();
    QPixmap logo = drawKorvelLogo(qCeil(kLogoWidth * ratio), qCeil(kLogoHeight * ratio));
    logo.setDevicePixelRatio(ratio);
    ProgramIcon->setPixmap(logo);
    fitToScreen();
}

void TAboutBox::fitToScreen()
{
    // As large as the texts need, no larger than the screen; a window manager adds its frame.
    constexpr int kFrameAllowance = 48;
    layout()->activate();
    QSize size = sizeHint();
    if (const QScreen *shown = screen())
        size = size.boundedTo(shown->availableGeometry().size() - QSize(0, kFrameAllowance));
    resize(size);
}
