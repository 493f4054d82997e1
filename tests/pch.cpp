// SPDX-License-Identifier: GPL-3.0-or-later
// The precompiled Qt headers of the test programs are built with this file.
