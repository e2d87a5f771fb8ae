// vti_plan: a body whose blocks nest properly, as a tree of steps.
//
// The body runner replays a body's tokens under the directive rules, which
// hold for any text, however its blocks cross or stay open. Most templates
// are simpler: every if and for is closed by its own endif and endfor, in
// order. Then a run gives what a walk of the block tree gives (text and
// echoes out in order, a conditional's branch, a loop's body once a turn),
// and the plan walks that tree without looking at a directive twice.
//
// A plan is made only for such a body and only runs where no directive
// would put an error into the output (every if and for names a list, and
// every if's list has a value); anything else stays with the runner.
#pragma once

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "template/vti_body.h"
#include "template/vti_body_runner.h"

class vti_plan {
  public:
    // Plans are used unless turned off (for tests and benchmarks that set
    // the two ways side by side); process-wide.
    static void use(bool on);
    static bool used();

    // The plan of program; null when its blocks do not nest properly or
    // nest deeper than a walk should recurse.
    static std::unique_ptr<vti_plan> make(const vti_program& program);

    // True when running gives no error text: the lists asked for are there.
    bool runs() const;
    // Runs the body as vti_body_runner::run would.
    void run(vti_output& output, int32_t turns, bool loop, int32_t index) const;

  private:
    enum class kind : uint8_t {
        text,    // raw, as it stands
        echo,    // list's value, else raw
        branch,  // a conditional: its parts follow, up to end
        part,    // one stretch between if, elses and endif, up to end
        loop,    // list's turns over the steps up to end
    };
    struct step {
        kind what = kind::text;
        std::string_view raw;
        const vti_list* list = nullptr;
        uint32_t end = 0;
    };

    void walk(uint32_t from, uint32_t to, int32_t index, vti_output& output) const;

    std::vector<step> steps_;
};
