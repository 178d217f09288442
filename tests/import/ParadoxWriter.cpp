#include "ParadoxWriter.h"

extern "C" {
#include <paradox.h>
}

#include <cstring>
#include <stdexcept>

namespace pxtest {
namespace {

int sizeOf(const Field& f) {
    switch (f.type) {
        case Alpha:
        case Memo: return f.length;
        case Short: return 2;
        case Logical: return 1;
        case Day:
        case Long:
        case AutoInc:
        case Time: return 4;
        default: return 8;
    }
}

}  // namespace

void writeTable(const std::string& path, const std::vector<Field>& fields,
                const std::vector<std::vector<data::Value>>& rows, const std::string& memoPath, int codePage,
                int keyFields) {
    pxdoc_t* doc = PX_new();
    if (!doc) throw std::runtime_error("PX_new");
    // pxlib takes the field array over and frees it with the document
    auto* pf = static_cast<pxfield_t*>(doc->malloc(doc, fields.size() * sizeof(pxfield_t), "fields"));
    int recordSize = 0;
    for (size_t i = 0; i < fields.size(); ++i) {
        pf[i].px_fname = PX_strdup(doc, fields[i].name.c_str());
        pf[i].px_ftype = static_cast<char>(fields[i].type);
        pf[i].px_flen = sizeOf(fields[i]);
        pf[i].px_fdc = 0;
        recordSize += pf[i].px_flen;
    }
    if (PX_create_file(doc, pf, static_cast<int>(fields.size()), path.c_str(), pxfFileTypNonIndexDB) < 0)
        throw std::runtime_error("PX_create_file " + path);
    if (keyFields && PX_set_value(doc, "numprimkeys", static_cast<float>(keyFields)) < 0)
        throw std::runtime_error("PX_set_value numprimkeys");
    if (codePage && PX_set_value(doc, "codepage", static_cast<float>(codePage)) < 0)
        throw std::runtime_error("PX_set_value codepage");
    if (!memoPath.empty() && PX_set_blob_file(doc, memoPath.c_str()) < 0)
        throw std::runtime_error("PX_set_blob_file " + memoPath);
    std::vector<char> rec(static_cast<size_t>(recordSize));
    for (const auto& row : rows) {
        std::fill(rec.begin(), rec.end(), 0);
        int off = 0;
        for (size_t i = 0; i < fields.size(); ++i) {
            const int len = pf[i].px_flen;
            char* p = rec.data() + off;
            off += len;
            const data::Value& v = i < row.size() ? row[i] : data::Value();
            if (v.isNull()) continue;
            switch (fields[i].type) {
                case Alpha: {
                    std::string s = v.toString();
                    std::memcpy(p, s.data(), std::min<size_t>(s.size(), static_cast<size_t>(len)));
                    break;
                }
                case Memo: {
                    std::string s = v.toString();
                    PX_put_data_blob(doc, p, len, s.data(), static_cast<int>(s.size()));
                    break;
                }
                case Day: {
                    data::Date d = v.toDate();
                    PX_put_data_long(doc, p, len,
                                     static_cast<int>(PX_GregorianToSdn(d.year, d.month, d.day) - 1721425));
                    break;
                }
                case Short: PX_put_data_short(doc, p, len, static_cast<short>(v.toInt())); break;
                case Long:
                case AutoInc:
                case Time: PX_put_data_long(doc, p, len, static_cast<int>(v.toInt())); break;
                case Logical: PX_put_data_byte(doc, p, len, v.toBool() ? 1 : 0); break;
                default: PX_put_data_double(doc, p, len, v.toDouble()); break;
            }
        }
        if (PX_put_record(doc, rec.data()) < 0) throw std::runtime_error("PX_put_record " + path);
    }
    PX_close(doc);
    PX_delete(doc);
}

}  // namespace pxtest
