// The program's own help window: the installed HTML manual in a text browser, with its contents
// (the manual's headings) beside it and a search field. It needs no desktop viewer, so Help never
// fails silently.
#pragma once

#include <QDialog>
#include <QString>

#include "i18n/messages.h"

class QLabel;
class QLineEdit;
class QPushButton;
class QTextBrowser;
class QTreeWidget;
class QTreeWidgetItem;

namespace tovel::app {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    // Loads the manual at `path`; false when it cannot be read.
    bool loadManual(const QString& path);
    void retranslate(Language language);
    // Finds the next place holding `text`, from the top again after the end. False when the
    // manual does not hold it (the window then says so).
    bool find(const QString& text);

    QTextBrowser& browser() { return *browser_; }
    QTreeWidget& contents() { return *contents_; }
    QLineEdit& searchField() { return *search_; }
    const QString& document() const { return document_; }

private:
    void fillContents();
    void showHeading(QTreeWidgetItem* item);

    Language language_ = Language::English;
    QString document_;
    QTextBrowser* browser_ = nullptr;
    QTreeWidget* contents_ = nullptr;
    QLabel* searchLabel_ = nullptr;
    QLineEdit* search_ = nullptr;
    QPushButton* findNext_ = nullptr;
    QLabel* searchResult_ = nullptr;
};

} // namespace tovel::app
