#pragma once

#include "store/AlmanacSearch.h"

#include <QPointer>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class SearchResults;
class RecordSource;

// "Rechercher dans l'almanach": a field whose results follow each
// keystroke, over the day keys and both texts. Enter or a double click moves
// the record source to the chosen row; F3 and Shift+F3 to the next and
// previous result.
class SearchWindow : public QWidget
{
    Q_OBJECT

public:
    SearchWindow(RecordSource *source, QWidget *parent);

    // Moves to the next (or previous) result after (before) the record
    // source's current row, round the year.
    void next();
    void previous();
    // The results shown now, as rows of the table.
    QList<int> resultRows() const;
    // A result's text as shown, its match (drawn in bold) in brackets.
    QString resultText(int result) const;
    // Shows the window with the focus in its field, the query selected so
    // that typing replaces it.
    void showForQuery();

signals:
    // The results changed; `any` says whether there are some.
    void resultsChanged(bool any);

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void search();
    // The line under the list: how many results, or none for the query.
    QString statusText(int found) const;
    void reindex();
    void goTo(int row);
    void step(int direction);

    QPointer<RecordSource> m_source;
    QLineEdit *m_field;
    AlmanacSearch m_index;
    QListView *m_results;
    QLabel *m_status;
    SearchResults *m_model;
    bool m_stale = true;
};
