// Current cash and bank balances, recomputed from the opening balances and the
// four document tables whenever a window asks.
#pragma once
#include <optional>
#include <string>

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

}  // namespace entry
