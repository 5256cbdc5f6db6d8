// The score record table: one row per recorded game, sortable by any column,
// saved to and read from the record file.
#pragma once

#include <QWidget>

#include "RecordRow.h"
#include "RecordTable.h"

class TForm4 : public QWidget {
    Q_OBJECT
public:
    TForm4();

    // Adds a finished game's row at the end (or in its sorted place).
    void AppendRow(const records::RecordRow& row);

    // Asked before the program ends: false keeps it running.
    bool ConfirmClose();

    records::RecordTable Table;
};

extern TForm4* Form4;
