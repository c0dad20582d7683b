#include "window/aboutbox.h"

#include "module/tables.h"
#include "texts/abouttexts.h"
#include "window/datafolder.h"

#include <QDir>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

namespace
{

template <typename T> T *named(T *widget, const char *name)
{
    widget->setObjectName(QLatin1String(name));
    return widget;
}

QLabel *boldLabel(QWidget *parent, const char *name, int pixelSize, int x, int y,
                  const QString &text = QString())
{
    auto *label = named(new QLabel(text, parent), name);
    QFont font = label->font();
    font.setPixelSize(pixelSize);
    font.setBold(true);
    label->setFont(font);
    label->setProperty("designPixelSize", pixelSize);
    label->move(x, y);
    label->adjustSize();
    return label;
}

// Shrinks the font until the widest line fits the width, down to a smallest size still legible.
QFont fittedFont(QFont font, const QStringList &lines, int width, int smallestPixelSize)
{
    while (font.pixelSize() > smallestPixelSize) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString &line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= width)
            break;
        font.setPixelSize(font.pixelSize() - 1);
    }
    return font;
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
    setFixedSize(kWidth, kHeight);

    Panel1 = named(new QFrame(this), "Panel1");
    Panel1->setGeometry(8, 8, 393, 473);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    Panel1->setLineWidth(2);

    ProductName = boldLabel(Panel1, "ProductName", 24, 20, 16);
    QFont underlined = ProductName->font();
    underlined.setUnderline(true);
    ProductName->setFont(underlined);
    Information = boldLabel(Panel1, "Information", 16, 20, 48);

    ProgramIcon = named(new QLabel(Panel1), "ProgramIcon");
    ProgramIcon->setGeometry(16, 80, 350, 90);
    ProgramIcon->setScaledContents(true);
    ProgramIcon->setPixmap(drawKorvelLogo(350, 90));

    MemoKompatibel = named(new QPlainTextEdit(Panel1), "MemoKompatibel");
    MemoKompatibel->setGeometry(16, 184, 353, 140);
    MemoKompatibel->setReadOnly(true);
    MemoKompatibel->setFrameShape(QFrame::NoFrame);
    MemoKompatibel->setLineWrapMode(QPlainTextEdit::NoWrap);
    MemoKompatibel->setBackgroundRole(QPalette::Button);
    MemoKompatibel->viewport()->setBackgroundRole(QPalette::Button);

    Label_Version = boldLabel(Panel1, "Label_Version", 13, 20, 328, QStringLiteral("Version:"));
    Version = boldLabel(Panel1, "Version", 13, 132, 328);
    Label_Date = boldLabel(Panel1, "Label_Date", 13, 20, 352);
    Datum = boldLabel(Panel1, "Datum", 13, 132, 352);
    Firma = boldLabel(Panel1, "Firma", 13, 20, 392);
    Label_Design = boldLabel(Panel1, "Label_Design", 13, 20, 416, QStringLiteral("Design:"));
    Design = boldLabel(Panel1, "Design", 13, 132, 416);
    Label_Web = boldLabel(Panel1, "Label_Web", 13, 20, 440, QStringLiteral("Web:"));
    Web = boldLabel(Panel1, "Web", 13, 132, 440);

    // Where this copy keeps its files: next to the program, or the user's data folder when the
    // program's folder cannot be written (an installed copy).
    LabelDataFolder = named(new QLabel(Panel1), "LabelDataFolder");
    LabelDataFolder->setGeometry(20, 458, 360, 12);
    QFont small = LabelDataFolder->font();
    small.setPixelSize(10);
    LabelDataFolder->setFont(small);

    OKButton = named(new QPushButton(QStringLiteral("OK"), this), "OKButton");
    OKButton->setGeometry(167, 492, 75, 25);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
}

void TAboutBox::fillTexts(int languageIndex)
{
    const AboutTexts &texts = aboutTexts(languageIndex);
    // The texts keep their sizes where they fit the panel; wider ones get a smaller font.
    const int room = Panel1->width() - 2 * ProductName->x();
    const auto set = [room](QLabel *label, const char *text) {
        label->setText(QString::fromUtf8(text));
        QFont font = label->font();
        font.setPixelSize(label->property("designPixelSize").toInt());
        label->setFont(fittedFont(font, {label->text()}, room, 10));
        label->adjustSize();
    };
    set(ProductName, texts.productName);
    setWindowTitle(QString::fromUtf8(texts.caption));
    set(Information, texts.information);
    set(Label_Date, texts.dateLabel);
    const QStringList compatibility = splitItems(QString::fromUtf8(texts.compatibility));
    QFont memoFont = MemoKompatibel->font();
    memoFont.setPixelSize(11);
    MemoKompatibel->setFont(fittedFont(memoFont, compatibility, MemoKompatibel->width() - 12, 8));
    MemoKompatibel->setPlainText(compatibility.join(QLatin1Char('\n')));
    set(Version, texts.version);
    set(Datum, texts.date);
    set(Web, texts.web);
    set(Firma, texts.company);
    set(Design, texts.designer);
    const QString files =
        (languageIndex == 0 ? QStringLiteral("Dateien: ") : QStringLiteral("Files: ")) +
        QDir::toNativeSeparators(m_dataFolder);
    LabelDataFolder->setText(LabelDataFolder->fontMetrics().elidedText(files, Qt::ElideMiddle,
                                                                       LabelDataFolder->width()));
    LabelDataFolder->setToolTip(dataFolderDescription(languageIndex, m_dataFolder));
}
