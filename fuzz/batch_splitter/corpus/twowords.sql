4end go
begin end go end go
x end go end go
