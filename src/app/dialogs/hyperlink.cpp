#include "app/dialogs/hyperlink.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>

#include "app/dialogs/message_box.h"
#include "i18n/messages.h"

namespace tovel {

namespace {

// Failure codes of the box: a target this program does not open, and no handler for it.
constexpr int kTargetRefused = 5;
constexpr int kNoHandler = 31;

} // namespace

CHyperLink::CHyperLink(const QString& text, QWidget* parent)
    : QLabel(text, parent), opener_([](const QUrl& url) { return QDesktopServices::openUrl(url); }) {
    setTextFormat(Qt::PlainText);
    setFocusPolicy(Qt::TabFocus);
    takeTargetFromText();
    applyFont();
    applyCursor();
    refreshColour();
}

void CHyperLink::takeTargetFromText() {
    if (url_.isEmpty()) url_ = text();
    if (text().isEmpty()) setText(url_);
    setToolTip(url_);
    fitToText();
}

void CHyperLink::setURL(const QString& url) {
    url_ = url;
    fitToText();
    setToolTip(url_);
}

bool CHyperLink::modifyStyle(std::uint32_t remove, std::uint32_t add, bool apply) {
    if ((remove & add) != 0) return false;
    style_ = (style_ & ~remove) | add;
    if (apply) {
        if (((remove | add) & Underline) != 0) applyFont();
        if ((add & AutoSize) != 0) fitToText();
        if (((remove | add) & NoHandCursor) != 0) applyCursor();
        refreshColour();
    }
    return true;
}

QColor CHyperLink::textColour() const {
    if (hovering_ && (style_ & UseHover) != 0) return hoverColour();
    if (focused_ && (style_ & NoFocusColour) == 0) return focusedColour();
    return visited_ ? visitedColour() : unvisitedColour();
}

bool CHyperLink::isOpenableTarget(const QUrl& url) {
    if (!url.isValid()) return false;
    const QString scheme = url.scheme().toLower();
    if (scheme == QLatin1String("http") || scheme == QLatin1String("https")) return !url.host().isEmpty();
    if (scheme == QLatin1String("mailto")) return !url.path().isEmpty();
    return false;
}

QString CHyperLink::failureText(int code) {
    switch (code) {
    case 0:
        return QStringLiteral("The operating system is out\nof memory or resources.");
    case 2:
        return QStringLiteral("The specified file was not found.");
    case 3:
        return QStringLiteral("The specified path was not found.");
    case 5:
        return QStringLiteral("The operating system denied\naccess to the specified file.");
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 11:
        return QStringLiteral("The .EXE file is invalid\n(non-Win32 .EXE or error in .EXE image).");
    case 26:
        return QStringLiteral("A sharing violation occurred. ");
    case 27:
        return QStringLiteral("The filename association is\nincomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not\nbe completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not\nbe completed because other DDE transactions\nwere "
            "being processed.");
    case 31:
        return QStringLiteral("There is no application associated\nwith the given filename extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QStringLiteral("Unknown Error (%1) occurred.").arg(code);
    }
}

bool CHyperLink::gotoURL() {
    const QUrl target(url_, QUrl::StrictMode);
    int failure = kTargetRefused;
    if (isOpenableTarget(target)) {
        if (opener_ && opener_(target)) {
            visited_ = true;
            refreshColour();
            return true;
        }
        failure = kNoHandler;
    }
    QApplication::beep();
    // The failure texts are not translated; neither is their caption.
    MessageBox::show(this, QMessageBox::Warning, qText(message(msg::BoxCaption, Language::English)),
                     QStringLiteral("Can't open link:\n\n") + failureText(failure));
    return false;
}

void CHyperLink::showEvent(QShowEvent* event) {
    // The text may have been set after construction (a dialog fills its links when it opens).
    takeTargetFromText();
    QLabel::showEvent(event);
}

void CHyperLink::enterEvent(QEnterEvent* event) {
    hovering_ = true;
    refreshColour();
    QLabel::enterEvent(event);
}

void CHyperLink::leaveEvent(QEvent* event) {
    hovering_ = false;
    refreshColour();
    QLabel::leaveEvent(event);
}

void CHyperLink::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mousePressEvent(event);
    if ((style_ & FocusOnClick) != 0) setFocus(Qt::MouseFocusReason);
    if ((style_ & OpenOnButtonDown) != 0) gotoURL();
    focused_ = true;
    refreshColour();
}

void CHyperLink::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QLabel::mouseReleaseEvent(event);
    // Releasing outside the link takes the click back.
    if (focused_ && (style_ & OpenOnButtonDown) == 0 && rect().contains(event->position().toPoint()))
        gotoURL();
}

void CHyperLink::focusInEvent(QFocusEvent* event) {
    focused_ = true;
    refreshColour();
    QLabel::focusInEvent(event);
}

void CHyperLink::focusOutEvent(QFocusEvent* event) {
    hovering_ = false;
    focused_ = false;
    refreshColour();
    QLabel::focusOutEvent(event);
}

void CHyperLink::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Space && event->modifiers() == Qt::NoModifier) {
        gotoURL();
        return;
    }
    QLabel::keyPressEvent(event);
}

void CHyperLink::applyFont() {
    QFont linkFont = font();
    linkFont.setUnderline((style_ & Underline) != 0);
    setFont(linkFont);
    fitToText();
}

void CHyperLink::applyCursor() {
    if ((style_ & NoHandCursor) != 0)
        unsetCursor();
    else
        setCursor(Qt::PointingHandCursor);
}

void CHyperLink::fitToText() {
    if ((style_ & AutoSize) == 0) {
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
        return;
    }
    // In a layout the fixed policy makes the layout give the text's size; a free-standing link is
    // resized here, keeping the edge its alignment names.
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    const QSize fitted = sizeHint();
    QRect area = geometry();
    const Qt::Alignment align = alignment();
    if ((align & Qt::AlignHCenter) != 0)
        area = QRect(area.center().x() - fitted.width() / 2, area.y(), fitted.width(), area.height());
    else if ((align & Qt::AlignRight) != 0)
        area.setLeft(area.right() - fitted.width() + 1);
    else
        area.setWidth(fitted.width());
    if ((align & Qt::AlignVCenter) != 0)
        area = QRect(area.x(), area.center().y() - fitted.height() / 2, area.width(), fitted.height());
    else
        area.setHeight(fitted.height());
    setGeometry(area);
}

void CHyperLink::refreshColour() {
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, textColour());
    setPalette(colours);
}

} // namespace tovel
