// The report "Lista documentelor": the documents the list shows, in its order,
// with its filter in the heading and the count and sum of each kind at the end.
#pragma once
#include <QString>

#include "entry/DocumentList.h"
#include "reports/ReportRun.h"

class QWidget;

namespace entry {

class TRepDocumenteFrm : public reports::TReportForm {
public:
    TRepDocumenteFrm(QWidget* owner, DocumentList& list);
    ~TRepDocumenteFrm() override;

    void openData() override;
    void closeData() override;
    bool hasData() override;
    std::optional<exports::DataTable> dataTable() override;

private:
    DocumentList& list_;
    DocumentListSet Q;
};

// Prints (print dialog, then preview or printer) or writes to a file (.pdf,
// .csv, .html, .txt) the documents `list` shows. An empty list prints nothing
// and says "Nu exista documente de listat!".
reports::RunResult PrintDocumente(QWidget* owner, DocumentList& list, const reports::ReportOutput& output = {});

}  // namespace entry
