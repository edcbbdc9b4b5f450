// CHyperLink: a text label that works as a link. It draws its text in link colours (blue, purple
// once visited, red under the mouse when asked to), underlined, shows its target as a tooltip
// and a hand cursor, and opens the target when clicked or when the space bar is pressed while
// it has the focus.
//
// Targets open through the desktop's URL handler, never through a shell, and only web pages
// (http, https) and mail messages (mailto); anything else, or a handler that fails, gives the
// "Can't open link:" box.
#pragma once

#include <cstdint>
#include <functional>

#include <QColor>
#include <QLabel>
#include <QUrl>

namespace tovel {

class CHyperLink : public QLabel {
    Q_OBJECT

public:
    enum StyleFlag : std::uint32_t {
        Underline = 0x01,        // underline the text
        UseHover = 0x02,         // hover colour while the mouse is over the link
        AutoSize = 0x04,         // size the control to its text
        OpenOnButtonDown = 0x08, // open on button down (otherwise on button up)
        FocusOnClick = 0x10,     // take the keyboard focus when clicked
        NoHandCursor = 0x20,     // keep the normal cursor
        NoFocusColour = 0x40,    // no focus colour
    };
    static constexpr std::uint32_t kDefaultStyle = Underline | AutoSize | FocusOnClick;
    static constexpr std::uint32_t kAllStyleFlags = 0x7F;

    // Shared by all links.
    static QColor unvisitedColour() { return QColor(0x00, 0x00, 0xFF); }
    static QColor visitedColour() { return QColor(0x80, 0x00, 0x80); }
    static QColor focusedColour() { return QColor(0x00, 0x80, 0x80); }
    static QColor hoverColour() { return QColor(0xFF, 0x00, 0x00); }

    // Hands a URL to whatever opens it; true when it was opened.
    using UrlOpener = std::function<bool(const QUrl& url)>;

    // A link whose target is its text until setURL gives another.
    explicit CHyperLink(const QString& text = QString(), QWidget* parent = nullptr);

    const QString& url() const { return url_; }
    void setURL(const QString& url);

    std::uint32_t style() const { return style_; }
    // Refused (false, nothing changed) when `remove` and `add` share a flag. With `apply` the
    // link's look follows at once.
    bool modifyStyle(std::uint32_t remove, std::uint32_t add, bool apply);

    bool isVisited() const { return visited_; }
    bool isHovering() const { return hovering_; }
    // The colour the text is drawn in now.
    QColor textColour() const;

    // Opens the target; on failure beeps and shows the "Can't open link:" box. True when opened.
    bool gotoURL();

    // Whether the target is one a link may open: an http or https address with a host, or a
    // mailto address.
    static bool isOpenableTarget(const QUrl& url);
    // The explanation the failure box gives for a failure code.
    static QString failureText(int code);

    // Replaces the desktop's URL handler (tests).
    void setUrlOpener(UrlOpener opener) { opener_ = std::move(opener); }

protected:
    void showEvent(QShowEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void takeTargetFromText();
    void applyFont();
    void applyCursor();
    void fitToText();
    void refreshColour();

    QString url_;
    std::uint32_t style_ = kDefaultStyle;
    bool hovering_ = false;
    bool visited_ = false;
    bool focused_ = false;
    UrlOpener opener_;
};

} // namespace tovel
