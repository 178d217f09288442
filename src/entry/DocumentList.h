// The documents of the four tables in one list: filtered and sorted in SQL,
// held as (kind, row identity) pairs, each row's fields read on demand a page
// at a time; the count and sums per kind of the rows listed, and, in date
// order, the cash and bank balances after each row (in bani).
#pragma once
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "data/DataSet.h"
#include "data/Money.h"
#include "data/Value.h"
#include "entry/Balances.h"

namespace entry {

// What the list is filtered by; an empty member does not filter.
struct DocumentFilter {
    std::optional<data::Date> from, to;  // the period, both days included
    std::optional<CashDoc> kind;         // one kind, or all four
    std::string account;                 // "Casa" or "Banca"
    std::optional<int> typeCode;         // income or expense type code
    std::optional<data::Bani> minAmount, maxAmount;
    std::string text;  // found anywhere in explanation, party, names, document kind
};

// The columns of the list, in the order shown.
enum class DocColumn { Kind, Date, Number, DocType, TypeCode, TypeName, Account, Party, Explanation, Amount, Count };
inline constexpr int kDocColumns = static_cast<int>(DocColumn::Count);

// One document as listed.
struct DocumentRow {
    CashDoc kind = CashDoc::Receipt;
    long long id = 0;  // the row's identity in its table
    data::Value date, number, docType, typeCode;
    std::string typeName, account, party, explanation;
    data::Bani amount = 0;
};

// "Incasare", "Plata", "Depunere", "Ridicare".
const char* kindName(CashDoc kind);
// The table of a kind ("Venituri.DB" ...).
const char* kindTable(CashDoc kind);
// The text of a row's column as the list shows it (amounts "#,##0.00").
std::string columnText(const DocumentRow& row, DocColumn column);
// The filter in words, for a report's heading ("Perioada 01.01.2014 - ...").
std::string filterDescription(const DocumentFilter& filter);

class DocumentList {
public:
    // The documents of the tables in `dir` ("" = the database directory).
    explicit DocumentList(std::string dir = {});

    // Reads the list anew; `sortBy` Date is the date and entry order, with
    // the balances after each row.
    void load(const DocumentFilter& filter, DocColumn sortBy = DocColumn::Date, bool descending = false);
    // Reads the documents again with the same filter and order (after a save
    // or delete).
    void reload() {
        base_.clear();
        load(filter_, sortBy_, descending_);
    }

    int size() const { return static_cast<int>(ids_.size()); }
    CashDoc kind(int i) const { return static_cast<CashDoc>(ids_[static_cast<size_t>(i)].kind); }
    long long id(int i) const { return ids_[static_cast<size_t>(i)].id; }
    // The row's fields, read with its page of rows when first asked.
    const DocumentRow& row(int i);
    // The index of a document in the list, or -1.
    int indexOf(CashDoc kind, long long id) const;

    // Whether the balances after each row are known (date order).
    bool hasBalances() const { return !cashAfter_.empty(); }
    data::Bani cashAfter(int i) const { return cashAfter_[static_cast<size_t>(i)]; }
    data::Bani bankAfter(int i) const { return bankAfter_[static_cast<size_t>(i)]; }

    // Count and sum of the listed rows of each kind.
    int count(CashDoc k) const { return counts_[static_cast<size_t>(k)]; }
    data::Bani sum(CashDoc k) const { return sums_[static_cast<size_t>(k)]; }

    const DocumentFilter& filter() const { return filter_; }
    DocColumn sortColumn() const { return sortBy_; }
    bool descending() const { return descending_; }

    // Gives the receipts and the payments an index on their type code, which
    // the type filter reads through; a write-protected table is left as it is.
    static void ensureIndexes(const std::string& dir = {});

private:
    struct Ref {
        std::uint8_t kind;
        long long id;
    };
    // Every document in date and entry order with the balances after it: read
    // once, then each filter in date order only picks its rows.
    struct Dated {
        std::uint8_t kind;
        int day;  // yyyymmdd, -1 without a date
        long long id;
        data::Bani amount, cash, bank;
    };
    void readAll();
    // The position in base_ of a document, or -1.
    long long baseIndex(std::uint8_t kind, long long id) const;
    // The sort key of a column for every document (names by their rank in the
    // Romanian order), read when the column is first sorted by.
    const std::vector<double>& keys(DocColumn c);
    // The searchable texts of every document folded, one after the other.
    void readTexts();
    // The documents in base_ that the filter takes, in date order.
    std::vector<std::uint32_t> listed(const DocumentFilter& filter);
    static constexpr int kPage = 128;
    static constexpr size_t kPagesKept = 64;
    void readPage(int page);

    std::string dir_;
    DocumentFilter filter_;
    DocColumn sortBy_ = DocColumn::Date;
    bool descending_ = false;
    std::vector<Dated> base_;
    std::array<std::vector<std::pair<long long, std::uint32_t>>, 4> byId_;  // per kind, by row identity
    std::array<std::vector<double>, kDocColumns> keys_;
    std::string texts_;                     // folded, each document's followed by '\n'
    std::vector<std::uint32_t> textStart_;  // where each document's texts begin
    std::vector<Ref> ids_;
    std::vector<data::Bani> cashAfter_, bankAfter_;
    std::array<int, 4> counts_{};
    std::array<data::Bani, 4> sums_{};
    std::map<int, std::vector<DocumentRow>> pages_;
    std::vector<int> pageUse_;  // pages in the order they were read
};

// The rows of a list as a read-only data set (a report prints it): fields
// Document (the kind), Data, Numar, Felul, Cod, Denumire, Cont, Beneficiar,
// Explicatie and Suma (an amount), in the list's order.
class DocumentListSet : public data::DataSet {
public:
    explicit DocumentListSet(DocumentList& list);
    std::string name() const override { return "Documente"; }

protected:
    std::vector<data::FieldDef> backendOpen() override;
    void backendClose() override {}
    int backendRowCount() const override { return list_.size(); }
    bool backendLoadRow(int index, std::vector<data::Value>& values) override;
    int backendRefresh(int) override { return 0; }

private:
    DocumentList& list_;
};

}  // namespace entry
