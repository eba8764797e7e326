#pragma once

namespace Zt_typro
{

/// The commands that set up and move into a shared register, run from a terminal without a
/// window:
///
/// - quillmate --init-shared "<connection>": run by the database's owner, sets up the shared
///   register there (roles, tables, rights, initial layouts); safe to run twice.
/// - quillmate --migrate-to "<connection>": copies the data folder's "pjzp.pdp" (see
///   ChooseDataFolder; "--data DIR" chooses it) into the empty shared register in one
///   transaction and says what it copied.
///
/// Returns -1 when the command line holds neither (the program then starts as usual), else the
/// exit status: 0 when done, non-zero with a message on standard error on any failure.
int RunSharedCommand(int argc, char* argv[]);

} // namespace Zt_typro
