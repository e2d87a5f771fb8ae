// vti: the engine of TOC templates.
//
// Conventions
// - Template text is copied to the output as it stands, except for directive
//   comments: <!--#echo var="name"-->, <!--#for var="name"-->, <!--#endfor-->,
//   <!--#if var="name"-->, <!--#else-->, <!--#endif-->. Directive and
//   attribute names ignore letter case, variable names do not; comments with
//   other names are copied as text.
// - The caller adds the template in chunks (split anywhere), calls process()
//   after each, marks the end of input and calls process() once more; after
//   every call it takes the output. Only loop and conditional bodies are held
//   until their closing directive; they then run through vti_body_runner.
// - Variables are lists read by position: the top-level instance reads
//   `index`, turn t of a loop reads t. A position past a list's end reads its
//   first value.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "template/vti_body_runner.h"
#include "template/vti_output.h"
#include "template/vti_scanner.h"
#include "template/vti_state.h"
#include "template/vti_variables.h"

class vti : public vti_scanner {
  public:
    // variables must stay unchanged while the engine lives.
    explicit vti(const vti_variables& variables, int32_t index = 0);

    // Marks that no more chunks will come.
    void mark_end() { set_input_complete(); }
    // Consumes the queued input: 0 when more is wanted, 2 at the end of input,
    // 3 at the end of input inside an unfinished block (its body is never
    // run), 1 when the input added so far reached the size limit.
    int process() { return run(); }
    // Moves the produced strings to the end of out, in order.
    void take_output(std::vector<vtstring>& out) { output_.take(out); }
    // Hands output to sink as it is produced, in pieces of about 64 KB;
    // take_output then gives only the rest.
    void set_output_sink(std::function<void(std::string_view)> sink) {
        output_.set_sink(std::move(sink));
    }

  protected:
    void on_piece(std::string_view bytes, bool last) override;
    void on_token(std::string_view bytes, bool directive) override;
    int end_result() override;

  private:
    void pass(std::string_view raw);

    const vti_variables& variables_;
    vti_state state_;
    std::string collected_;
    vti_output output_;
    vti_body_runner runner_;
};
