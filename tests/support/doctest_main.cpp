#define DOCTEST_CONFIG_IMPLEMENT_WITH_MAIN
#include <doctest/doctest.h>

#include <ostream>

namespace {

// doctest counts a table of rows as one test case; this counts every row
// (each run of a test case body), so that a run shows how many cases it held.
class CaseCounter : public doctest::IReporter {
public:
    explicit CaseCounter(const doctest::ContextOptions& options) : options_(options) {}

    void test_case_start(const doctest::TestCaseData&) override { ++cases_; }
    void test_case_reenter(const doctest::TestCaseData&) override { ++cases_; }
    void test_run_end(const doctest::TestRunStats&) override {
        if (cases_ > 0) {
            *options_.cout << "[doctest] cases run (table rows included): " << cases_ << '\n';
        }
    }

    void report_query(const doctest::QueryData&) override {}
    void test_run_start() override {}
    void test_case_end(const doctest::CurrentTestCaseStats&) override {}
    void test_case_exception(const doctest::TestCaseException&) override {}
    void subcase_start(const doctest::SubcaseSignature&) override {}
    void subcase_end() override {}
    void log_assert(const doctest::AssertData&) override {}
    void log_message(const doctest::MessageData&) override {}
    void test_case_skipped(const doctest::TestCaseData&) override {}

private:
    const doctest::ContextOptions& options_;
    int cases_ = 0;
};

}  // namespace

REGISTER_LISTENER("cases", 1, CaseCounter);
