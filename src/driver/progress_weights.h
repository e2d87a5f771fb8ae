// progress_weights: how a run's 100 % is shared among its phases. Each
// weight is the share of its parent phase that the phase moves the bar by
// when it is done; what a list leaves over is reached by the next report
// of the run (the commit's, or the end).
#pragma once

namespace progress_weights {

// A site build: all its pages, then its destination.
inline constexpr double site_pages = 0.8;
inline constexpr double site_pages_with_local_tocs = 0.9;
inline constexpr double destination = 0.05;

// A clearing run: all its pages.
inline constexpr double cleared_pages = 0.95;

// One page of a build (its share of the pages): read, then scanned; with
// a local TOC, then rendered and written too.
inline constexpr double page_read = 0.7;
inline constexpr double page_scan = 0.1;
inline constexpr double page_read_with_local_toc = 0.38;
inline constexpr double page_scan_with_local_toc = 0.03;
inline constexpr double page_local_toc = 0.41;

}  // namespace progress_weights
