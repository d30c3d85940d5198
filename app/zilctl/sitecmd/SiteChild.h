#pragma once

// `zilctl site-child`, started by a site run for one controller and not meant
// for people: reads the request from standard input, works the controller
// over one link (its clock, its schedule, the send and the clock set the
// request asks for) and writes its progress and its result to standard
// output. Its exit status is 0 whenever a result was written.
int runSiteChild();
