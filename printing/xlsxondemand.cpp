// SPDX-License-Identifier: GPL-3.0-or-later
// The spreadsheet library (libxlsxwriter), loaded when a report is first saved as a workbook
// rather than linked into the program: most starts of the program never write one, and a linked
// library costs every start its loading and relocations.
//
// These are the library functions the workbook writer calls, with the library's own signatures;
// each forwards to the function of libxlsxwriter.so.4, found on the first call. Without the
// library no workbook is created, and the export fails as a file that cannot be written does.

#include <xlsxwriter.h>

#include "storage/ondemand.h"

#include <dlfcn.h>

namespace
{

void* xlsxwriter()
{
    static void* const handle = dlopen("libxlsxwriter.so.4", RTLD_NOW | RTLD_LOCAL);
    return handle;
}

template <typename Function> Function resolve(const char* name)
{
    return resolveOnDemand<Function>(xlsxwriter(), name);
}

} // namespace

extern "C" {

TARNEL_FORWARD(lxw_workbook*, workbook_new_opt,
               (const char* filename, lxw_workbook_options* options), (filename, options), nullptr)
TARNEL_FORWARD(lxw_worksheet*, workbook_add_worksheet,
               (lxw_workbook * workbook, const char* sheetname), (workbook, sheetname), nullptr)
TARNEL_FORWARD(lxw_format*, workbook_add_format, (lxw_workbook * workbook), (workbook), nullptr)
TARNEL_FORWARD(lxw_error, workbook_close, (lxw_workbook * workbook), (workbook),
               LXW_ERROR_CREATING_XLSX_FILE)
TARNEL_FORWARD_VOID(lxw_workbook_free, (lxw_workbook * workbook), (workbook))
TARNEL_FORWARD_VOID(format_set_align, (lxw_format * format, uint8_t alignment), (format, alignment))
TARNEL_FORWARD_VOID(format_set_bold, (lxw_format * format), (format))
TARNEL_FORWARD_VOID(format_set_num_format, (lxw_format * format, const char* num_format),
                    (format, num_format))
TARNEL_FORWARD_VOID(format_set_text_wrap, (lxw_format * format), (format))
TARNEL_FORWARD_VOID(worksheet_freeze_panes,
                    (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col),
                    (worksheet, row, col))
TARNEL_FORWARD(lxw_error, worksheet_merge_range,
               (lxw_worksheet * worksheet, lxw_row_t first_row, lxw_col_t first_col,
                lxw_row_t last_row, lxw_col_t last_col, const char* string, lxw_format* format),
               (worksheet, first_row, first_col, last_row, last_col, string, format),
               LXW_ERROR_CREATING_XLSX_FILE)
TARNEL_FORWARD(lxw_error, worksheet_set_column,
               (lxw_worksheet * worksheet, lxw_col_t first_col, lxw_col_t last_col, double width,
                lxw_format* format),
               (worksheet, first_col, last_col, width, format), LXW_ERROR_CREATING_XLSX_FILE)
TARNEL_FORWARD(lxw_error, worksheet_write_number,
               (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, double number,
                lxw_format* format),
               (worksheet, row, col, number, format), LXW_ERROR_CREATING_XLSX_FILE)
TARNEL_FORWARD(lxw_error, worksheet_write_string,
               (lxw_worksheet * worksheet, lxw_row_t row, lxw_col_t col, const char* string,
                lxw_format* format),
               (worksheet, row, col, string, format), LXW_ERROR_CREATING_XLSX_FILE)

TARNEL_FORWARD_VOID(worksheet_set_paper, (lxw_worksheet * worksheet, uint8_t paper_type),
                    (worksheet, paper_type))
TARNEL_FORWARD_VOID(worksheet_set_landscape, (lxw_worksheet * worksheet), (worksheet))
TARNEL_FORWARD_VOID(worksheet_set_portrait, (lxw_worksheet * worksheet), (worksheet))
TARNEL_FORWARD_VOID(worksheet_fit_to_pages,
                    (lxw_worksheet * worksheet, uint16_t width, uint16_t height),
                    (worksheet, width, height))
TARNEL_FORWARD(lxw_error, worksheet_repeat_rows,
               (lxw_worksheet * worksheet, lxw_row_t first_row, lxw_row_t last_row),
               (worksheet, first_row, last_row), LXW_ERROR_CREATING_XLSX_FILE)
TARNEL_FORWARD(lxw_error, worksheet_set_footer, (lxw_worksheet * worksheet, const char* string),
               (worksheet, string), LXW_ERROR_CREATING_XLSX_FILE)

} // extern "C"
