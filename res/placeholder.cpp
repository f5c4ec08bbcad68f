// Resource libraries need one translation unit of their own.
