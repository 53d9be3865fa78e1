#pragma once
// A main window for the records tests: selecting a plan loads its saved settings and its totals
// from the option file, as picking it in the plan box does.

#include <map>
#include <string>
#include <utility>
#include <vector>

#include "core/ini_store.h"
#include "records/main_window_port.h"

namespace vq::test {

class FakeMainWindow final : public MainWindowPort {
public:
    struct Settings {
        std::string allowanceHours, firstMinute, perMinute;
    };
    explicit FakeMainWindow(std::string option) : m_option(std::move(option)) {}

    std::map<std::string, Settings> plans;
    std::string plan, temps = "00", first = "0", perMinute = "0", amount = "0", l1, l2;
    std::vector<std::string> selections;

    std::string planName() const override { return plan; }
    void selectPlan(const std::string& name) override {
        selections.push_back(name);
        plan = name;
        if (auto it = plans.find(name); it != plans.end()) {
            temps = it->second.allowanceHours;
            first = it->second.firstMinute;
            perMinute = it->second.perMinute;
        }
        l1 = lireini("Dernc " + name, "temps", m_option);
        l2 = lireini("Dernc " + name, "avf", m_option);
    }
    std::string allowanceHours() const override { return temps; }
    std::string lcd1() const override { return l1; }
    std::string lcd2() const override { return l2; }
    void setMonthTotal(const std::string& total) override { l1 = total; }
    void setLcd2(const std::string& value) override { l2 = value; }
    std::string firstMinutePrice() const override { return first; }
    std::string minutePrice() const override { return perMinute; }
    void setAmountDue(const std::string& a) override { amount = a; }

private:
    std::string m_option;
};

}  // namespace vq::test
