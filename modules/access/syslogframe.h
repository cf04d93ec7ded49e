#pragma once

#include "frame/prochildframe.h"

class CSysLogDoc;
class QDateEdit;
class QTableView;

// The operation-log window: the two date pickers "起始日期" and "终止日期"
// and below them the records of the range. Changing a date queries again.
class CSysLogFrame : public CProChildFrame
{
    Q_OBJECT

public:
    enum CommandId { Delete = 32784 };

    explicit CSysLogFrame(CSysLogDoc *document);

    CSysLogDoc *Document() const { return m_doc; }
    QDateEdit *StartPicker() const { return m_start; }
    QDateEdit *EndPicker() const { return m_end; }
    QTableView *ListView() const { return m_list; }

protected:
    void showEvent(QShowEvent *event) override;

private:
    void DatesChanged();

    CSysLogDoc *m_doc;
    QDateEdit *m_start;
    QDateEdit *m_end;
    QTableView *m_list;
    bool m_queried = false;
};
