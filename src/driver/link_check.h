// link_check: do the local links of a project's pages lead somewhere?
//
// Every page of the project is read (the sources and the destination, as a
// build names them), and every link of those pages that stays on this
// machine is followed as a browser follows it: relative to the page (or to
// its base element), %-escapes decoded, the fragment naming an id of any
// element or the name of an "a" element in the page it leads to. A link
// to a page of the project must name one of its ids; a link to any other
// file must find the file (its fragment is not looked at). Links to other
// schemes (http:, mailto:) and to other hosts are not followed. Nothing is
// written.
#pragma once

#include <string>
#include <vector>

class toc_project;

// Appends to problems one line per problem, pages in project order and the
// problems of a page in document order: "Dead link: <page>: <href>" for a
// link that leads nowhere, "Duplicate id: <page>: <id>" for an id (or "a"
// name) that an earlier element of the page holds too; pages as the project
// names them, hrefs and ids as written. A destination not built yet is left
// out. 0, or 1 with the project's error message set when the project is not
// valid or a page cannot be read.
int check_links(toc_project& project, std::vector<std::string>& problems);
