// The report engine lives here.
