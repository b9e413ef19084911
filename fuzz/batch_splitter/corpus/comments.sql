2GO
-- GO in a comment
select 'GO' /* GO */
GO
select 1 GO
GOTO
	GO	
select 3
