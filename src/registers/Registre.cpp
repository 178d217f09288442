#include "registers/Registre.h"

#include "catalogs/CatalogSelect.h"
#include "registers/CalculRegUnt.h"
#include "registers/RepRegCasaUnt.h"
#include "registers/RepRegPartiziUnt.h"
#include "registers/RepRegUnt.h"

namespace registers {

void RegistruIncasariPlati(QWidget* owner) {
    if (RunCalcRegistru(owner)) RunRegistruIncasariPlati(owner);
}

void RegistruCasa(QWidget* owner) {
    if (RunCalcRegistru(owner)) RunRegistruCasa(owner);
}

void RegistruBanca(QWidget* owner) {
    if (RunCalcRegistru(owner)) RunRegistruBanca(owner);
}

void PartiziVenituri(QWidget* owner) {
    short cod = 0;
    if (catalogs::SelectTipVenit(owner, cod)) RunRegistruPartiziVenituri(owner, cod);
}

void PartiziCheltuieli(QWidget* owner) {
    short cod = 0;
    if (catalogs::SelectTipCheltuiala(owner, cod) && RunCalcRegistruCheltuiala(owner, cod))
        RunRegistruPartiziCheltuieli(owner, cod);
}

}  // namespace registers
