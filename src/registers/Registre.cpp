#include "registers/Registre.h"

#include "catalogs/CatalogSelect.h"
#include "registers/CalculRegUnt.h"
#include "registers/RepRegCasaUnt.h"
#include "registers/RepRegPartiziUnt.h"
#include "registers/RepRegUnt.h"

namespace registers {

using reports::RunResult;

RunResult RegistruIncasariPlati(QWidget* owner, const reports::ReportOutput& output) {
    if (!RunCalcRegistru(owner, !output.toFile())) return RunResult::AccessError;
    return RunRegistruIncasariPlati(owner, output);
}

RunResult RegistruCasa(QWidget* owner, std::optional<reports::Interval> interval, const reports::ReportOutput& output) {
    if (!RunCalcRegistru(owner, !output.toFile())) return RunResult::AccessError;
    return RunRegistruCasa(owner, interval, output);
}

RunResult RegistruBanca(QWidget* owner, std::optional<reports::Interval> interval,
                        const reports::ReportOutput& output) {
    if (!RunCalcRegistru(owner, !output.toFile())) return RunResult::AccessError;
    return RunRegistruBanca(owner, interval, output);
}

RunResult PartiziVenituri(QWidget* owner, std::optional<short> code, const reports::ReportOutput& output) {
    short cod = 0;
    if (!code && !catalogs::SelectTipVenit(owner, cod)) return RunResult::Cancelled;
    return RunRegistruPartiziVenituri(owner, code.value_or(cod), output);
}

RunResult PartiziCheltuieli(QWidget* owner, std::optional<short> code, const reports::ReportOutput& output) {
    short cod = 0;
    if (!code && !catalogs::SelectTipCheltuiala(owner, cod)) return RunResult::Cancelled;
    if (!RunCalcRegistruCheltuiala(owner, code.value_or(cod))) return RunResult::AccessError;
    return RunRegistruPartiziCheltuieli(owner, code.value_or(cod), output);
}

}  // namespace registers
