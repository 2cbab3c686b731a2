// Survey runtime logic.
