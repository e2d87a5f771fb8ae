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
//
// Inside: vti_directives (the scanner and what one directive asks for),
// vti_state (the rules of one instance), vti_body (a collected body as
// tokens) and vti_body_runner (the runs of bodies).
#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/vtarr.h"
#include "core/vtstring.h"

// Makes the values of a list on demand: a TOC of half a million events would
// take a few hundred megabytes as stored values of its eight variables.
class vti_list_maker {
  public:
    virtual ~vti_list_maker() = default;
    virtual int32_t count() const = 0;
    // The value at index (0 <= index < count); valid until the next call.
    virtual const vtval& value(int32_t index) const = 0;
};

// The values of one variable, one per position: held, or made on demand.
class vti_list {
  public:
    vti_list() = default;
    vti_list(vtarr values) : values_(std::move(values)) {}  // NOLINT: stored values
    // A list whose values the maker makes; it must outlive the list.
    explicit vti_list(const vti_list_maker& maker) : maker_(&maker) {}

    void push_back(vtval value) { values_.push_back(std::move(value)); }
    int32_t count() const { return maker_ ? maker_->count() : values_.count(); }
    bool empty() const { return count() == 0; }
    // The value at index (0 <= index < count); a made value is valid until
    // the next read of this list.
    const vtval& operator[](int32_t index) const {
        return maker_ ? maker_->value(index) : values_[index];
    }

  private:
    vtarr values_;
    const vti_list_maker* maker_ = nullptr;
};

// The variables a template run reads, by name (compared byte by byte,
// case-sensitively). The caller owns the map and keeps it unchanged while any
// engine of the run uses it.
using vti_variables = std::map<std::string, vti_list, std::less<>>;

class vti {
  public:
    // variables must stay unchanged while the engine lives.
    explicit vti(const vti_variables& variables, int32_t index = 0);
    ~vti();
    vti(const vti&) = delete;
    vti& operator=(const vti&) = delete;

    // Queues the next chunk of the template.
    void add(std::string_view chunk);
    // Marks that no more chunks will come.
    void mark_end();
    // Consumes the queued input: 0 when more is wanted, 2 at the end of input,
    // 3 at the end of input inside an unfinished block (its body is never
    // run), 1 when the input added so far reached the size limit.
    int process();
    // Moves the produced strings to the end of out, in order.
    void take_output(std::vector<vtstring>& out);
    // Hands output to sink as it is produced, in pieces of about 64 KB;
    // take_output then gives only the rest.
    void set_output_sink(std::function<void(std::string_view)> sink);

  private:
    class instance;
    std::unique_ptr<instance> instance_;
};
