#pragma once
// What the record editor reads and changes on the main window: the plan box (setting it loads the
// plan), the allowance, the counters, the prices and the amount due.

#include <string>

namespace vq {

class MainWindowPort {
public:
    virtual ~MainWindowPort() = default;
    virtual std::string planName() const = 0;
    // Sets the plan box text; the main window then loads that plan at once.
    virtual void selectPlan(const std::string& name) = 0;
    virtual std::string allowanceHours() const = 0;  // `Temps`
    virtual std::string lcd1() const = 0;
    virtual std::string lcd2() const = 0;
    virtual void setMonthTotal(const std::string& total) = 0;  // `tmpstotal` and `LCD1`
    virtual void setLcd2(const std::string& value) = 0;
    virtual std::string firstMinutePrice() const = 0;          // `Text3`
    virtual std::string minutePrice() const = 0;               // `Text6`
    virtual void setAmountDue(const std::string& amount) = 0;  // `Text7`
};

}  // namespace vq
