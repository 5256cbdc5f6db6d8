// The score record table: one row per recorded game, sortable by any column,
// saved to and read from the record file.
#pragma once

#include <QAbstractTableModel>
#include <QPushButton>
#include <QTableView>
#include <QWidget>

#include "RecordDisk.h"
#include "RecordRow.h"
#include "RecordTable.h"

// The table's rows as Qt's list sees them. The texts stay code-page-932
// bytes in the table and are decoded only for display.
class TRecordModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRecordModel(records::RecordTable& table, QObject* parent);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Whether the rows show check boxes (while deleting is permitted).
    void setCheckable(bool on);

    // The table changed under the model: rows added, removed or reordered.
    void tableChanged();

    static const char* const Captions[records::ColumnCount];
    static const int Widths[records::ColumnCount];

private:
    records::RecordTable& table_;
    bool checkable_ = false;
};

class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4();

    QTableView* ListView1; // the recorded games
    QPushButton* BtnSave; // "保存(更新）": writes the record file
    QPushButton* BtnRead; // "再読込": reads the record file again
    QPushButton* Button1; // asks for the word that permits deleting
    QPushButton* BtnDelete; // deletes the checked rows

    void FormCreate(QObject* sender);
    void FormClose(QObject* sender);
    void BtnSaveClick(QObject* sender);
    void BtnReadClick(QObject* sender);
    void Button1Click(QObject* sender);
    void BtnDeleteClick(QObject* sender);
    void ListView1ColumnClick(int column);

    // Adds a finished game's row: at the end, or in its place while the
    // table is sorted by name.
    void AppendRow(const records::RecordRow& row);

    // Asked before the program ends: rows added or deleted since the last
    // save or read are offered for saving. False keeps the program running.
    bool ConfirmClose();

    // Writes the table to the record file; false (after the message) when
    // it could not, with the old file left as it was.
    bool SaveRecords();

    records::RecordTable Table;
    TRecordModel* Model;

    // The word that permits deleting; the prompt shows it to the player.
    static constexpr const char* ConfirmationWord = "tarnwick";

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void setDeletePermitted(bool on);
    // Widens the name and time columns to what their shown texts need (the
    // designed widths at least); the time column also takes the list's
    // spare width.
    void fitColumns();

    // The record file as this program last read or wrote it, so that a save
    // notices another program's changes.
    records::FileStamp fileStamp_;
    // The last read left rows of the file out.
    bool partial_ = false;
    bool fitting_ = false;
};

extern TForm4* Form4;
