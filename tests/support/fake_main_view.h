#pragma once

#include "core/common/main_view.h"

#include <string>
#include <vector>

namespace fernhold::test {

// Keeps every title set, in order.
class FakeMainView final : public core::MainView {
public:
    void setTitle(const std::string& title) override { m_titles.push_back(title); }
    void processPendingEvents() override { ++m_eventPumps; }

    const std::vector<std::string>& titles() const { return m_titles; }
    int eventPumps() const { return m_eventPumps; }

private:
    std::vector<std::string> m_titles;
    int m_eventPumps = 0;
};

} // namespace fernhold::test
