// Current cash and bank balances, recomputed from the opening balances and the
// four document tables whenever a window asks.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "data/Money.h"
#include "data/Value.h"

namespace entry {

// Opening cash + cash receipts - deposits + withdrawals - cash payments.
double CalcSoldCasa(const std::string& dir = {});
// Opening bank + bank receipts + deposits - withdrawals - bank payments.
double CalcSoldBanca(const std::string& dir = {});

// The balance as shown in a value label: "#,##0.00" with the locale's
// separators, a leading minus.
std::string balanceText(double value);
// A value label's text read back as a number (the proposal of a new deposit
// or withdrawal); nullopt when the label holds no number.
std::optional<double> balanceFromText(const std::string& text);

// The four kinds of document and what each does to the cash box.
enum class CashDoc { Receipt, Payment, Deposit, Withdrawal };

// What one document adds to the cash box (negative: takes from it) on its
// day. A document without a date counts before every dated one, as in the
// register, where its amount is in the balances of all later rows.
struct CashMove {
    std::optional<data::Date> day;
    data::Bani amount = 0;
};
// The move of a document of `kind`: receipts and payments move cash only
// when their account is "Casa"; deposits take cash, withdrawals bring it.
CashMove cashMove(CashDoc kind, std::optional<data::Date> day, const std::string& account, double amount);

// The first day whose closing cash balance is negative once `pending` (the
// moves a save or delete is about to add, an old version of a changed
// document entered with the opposite sign) is taken in, and that the pending
// moves lower: the running balance in date order as the cash register prints
// it (opening cash, then each day's moves). nullopt when there is none.
struct NegativeCash {
    data::Date day;
    data::Bani balance;
};
std::optional<NegativeCash> firstNegativeCash(const std::vector<CashMove>& pending, const std::string& dir = {});

// The cash held at the end of `day`: opening cash and the moves of every
// document dated up to that day (or undated); later documents are left out.
data::Bani cashAtEndOf(const data::Date& day, const std::string& dir = {});

}  // namespace entry
